// The shared description of an image font: layers, character map and pictures, filled from a font
// descriptor file or from one image and a widths file.
#pragma once

#include <array>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "resources/DescParser.h"
#include "resources/FontLayerSpec.h"

namespace Olvarn
{

class ResourceHost;
class MemoryImage;

class FontData : public DescParser
{
public:
    FontData();
    ~FontData() override;

    // Shows header, text and the command's line through the application's fatal message; false.
    bool Error(const std::string& text) override;
    bool HandleCommand(const ListDataElement& params) override;

    // False without doing anything when already loaded; otherwise runs the descriptor and returns
    // true: the caller reads mLoaded.
    bool Load(ResourceHost* app, const std::string& fileName);
    // One layer cut from the image by the widths file. The image stays shared with the caller.
    bool LoadFromImage(std::shared_ptr<MemoryImage> image, const std::string& widthsFileName);
    // The same from the widths file's bytes.
    bool ParseImageWidths(std::shared_ptr<MemoryImage> image, const std::string& widthsText);
    // A single word naming a layer (any case); a list gives false quietly.
    bool GetLayer(const DataElement& element, FontLayerSpec*& layer);

    // The application given to Load, or the process's one when none was (image-and-widths fonts).
    ResourceHost* App() const;
    unsigned char MapChar(char c) const { return mCharMap[static_cast<unsigned char>(c)]; }

    bool mLoaded = false;
    ResourceHost* mApp = nullptr;
    int mDefaultPointSize = 0;
    std::array<unsigned char, 256> mCharMap{};
    // Resolved path -> picture; shared with the layers and the fonts drawing from them.
    std::map<std::string, std::shared_ptr<MemoryImage>> mImageMap;
    // Held by value in creation order; a list keeps the addresses the name map points to.
    std::list<FontLayerSpec> mFontLayerList;
    std::map<std::string, FontLayerSpec*> mFontLayerMap;
    std::string mSourceFile;
    std::string mFontErrorHeader;

private:
    using Handler = bool (FontData::*)(const ListDataElement&);
    struct CommandSpec {
        const char* mName;
        std::size_t mParamCount;
        Handler mHandler;
    };
    static const std::vector<CommandSpec>& Commands();

    // Parameter kinds: each reports "Invalid Paramater Type" itself when the element does not fit.
    bool LayerParam(const DataElement& element, FontLayerSpec*& layer);
    bool NumberParam(const DataElement& element, int& out);
    bool NameParam(const DataElement& element, std::string& out);
    bool StringParam(const DataElement& element, std::string& out);
    bool StringListParam(const DataElement& element, std::vector<std::string>& out);
    bool IntListParam(const DataElement& element, std::vector<int>& out, std::size_t exactSize = 0);
    bool DoubleListParam(const DataElement& element, std::vector<double>& out, std::size_t exactSize = 0);
    bool ListParam(const DataElement& element, ListDataElement& out);
    // "List Size Mismatch" unless the two parallel lists have the same length.
    bool SameSize(std::size_t a, std::size_t b);
    FontLayerSpec& AppendLayer(const std::string& name, const FontLayerSpec* copyOf);

    bool CmdCreateHorzSpanRectList(const ListDataElement& params);
    bool CmdSetDefaultPointSize(const ListDataElement& params);
    bool CmdSetCharMap(const ListDataElement& params);
    bool CmdCreateLayer(const ListDataElement& params);
    bool CmdCreateLayerFrom(const ListDataElement& params);
    bool CmdLayerRequireTags(const ListDataElement& params);
    bool CmdLayerExcludeTags(const ListDataElement& params);
    bool CmdLayerPointRange(const ListDataElement& params);
    bool CmdLayerSetPointSize(const ListDataElement& params);
    bool CmdLayerSetImage(const ListDataElement& params);
    bool CmdLayerSetDrawMode(const ListDataElement& params);
    bool CmdLayerSetColorMult(const ListDataElement& params);
    bool CmdLayerSetColorAdd(const ListDataElement& params);
    bool CmdLayerSetAscent(const ListDataElement& params);
    bool CmdLayerSetAscentPadding(const ListDataElement& params);
    bool CmdLayerSetLineSpacingOffset(const ListDataElement& params);
    bool CmdLayerSetOffset(const ListDataElement& params);
    bool CmdLayerSetCharWidths(const ListDataElement& params);
    bool CmdLayerSetSpacing(const ListDataElement& params);
    bool CmdLayerSetImageMap(const ListDataElement& params);
    bool CmdLayerSetCharOffsets(const ListDataElement& params);
    bool CmdLayerSetKerningPairs(const ListDataElement& params);
    bool CmdLayerSetBaseOrder(const ListDataElement& params);
    bool CmdLayerSetCharOrders(const ListDataElement& params);

    // Shared shapes of the commands above.
    bool SetLayerInt(const ListDataElement& params, int FontLayerSpec::*field);
    bool AddLayerTags(const ListDataElement& params, std::vector<std::string> FontLayerSpec::*tags);
    bool SetLayerColor(const ListDataElement& params, Color FontLayerSpec::*color);
    bool SetCharInts(const ListDataElement& params, int FontCharData::*field);
    // Steps of LoadFromImage.
    bool ReadWidthsFile(FontLayerSpec& layer, const std::string& text);
    void ApplyCaseFallback(const FontLayerSpec& layer);
};

} // namespace Olvarn
