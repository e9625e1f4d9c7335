// Font descriptors: the command set that fills a FontData, its parameter checks and messages, and
// the simpler image-and-widths form.
#include "resources/FontData.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "core/Common.h"
#include "graphics/DDImage.h"
#include "graphics/MemoryImage.h"
#include "platform/Directories.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "resources/ResourceHost.h"

namespace Olvarn
{

namespace
{

// A widths file lists some hundred characters.
constexpr size_t kMaxWidthsFileBytes = 1u << 20;

const std::string& Word(const DataElement& element)
{
    return static_cast<const SingleDataElement&>(element).mString;
}

// Channel values are given as fractions 0.0 to 1.0.
int ChannelFromFraction(double value)
{
    double scaled = value * 255.0;
    if (scaled > 1e9)
        return 1000000000;
    if (scaled < -1e9)
        return -1000000000;
    return static_cast<int>(scaled);
}

} // namespace

FontData::FontData()
{
    for (int i = 0; i < 256; ++i)
        mCharMap[i] = static_cast<unsigned char>(i);
}

FontData::~FontData() = default;

ResourceHost* FontData::App() const
{
    return mApp ? mApp : GetResourceHost();
}

bool FontData::Error(const std::string& text)
{
    std::string message = mFontErrorHeader + text;
    if (mCurrentLine > 0)
        message += " on Line " + FormatString("%d:\r\n\r\n", mCurrentLine) + mCurrentCommand;
    if (ResourceHost* app = App())
        app->ShowFatalMessage(message);
    else
        LogWrite(LogLevel::Error, "%s", message.c_str());
    return false;
}

bool FontData::Load(ResourceHost* app, const std::string& fileName)
{
    if (mLoaded)
        return false;
    mApp = app;
    mCurrentCommand.clear();
    mFontErrorHeader = "Font Descriptor Error in " + fileName + "\r\n";
    mSourceFile = fileName;
    mLoaded = LoadDescriptor(fileName);
    return true;
}

bool FontData::GetLayer(const DataElement& element, FontLayerSpec*& layer)
{
    layer = nullptr;
    if (element.mIsList)
        return false;
    auto it = mFontLayerMap.find(ToUpperCopy(Word(element)));
    if (it == mFontLayerMap.end())
        return Error("Undefined Layer");
    layer = it->second;
    return true;
}

// ---- Dispatch -------------------------------------------------------------------------------

const std::vector<FontData::CommandSpec>& FontData::Commands()
{
    static const std::vector<CommandSpec> commands = {
        {"CREATEHORZSPANRECTLIST", 4, &FontData::CmdCreateHorzSpanRectList},
        {"SETDEFAULTPOINTSIZE", 2, &FontData::CmdSetDefaultPointSize},
        {"SETCHARMAP", 3, &FontData::CmdSetCharMap},
        {"CREATELAYER", 2, &FontData::CmdCreateLayer},
        {"CREATELAYERFROM", 3, &FontData::CmdCreateLayerFrom},
        {"LAYERREQUIRETAGS", 3, &FontData::CmdLayerRequireTags},
        {"LAYEREXCLUDETAGS", 3, &FontData::CmdLayerExcludeTags},
        {"LAYERPOINTRANGE", 4, &FontData::CmdLayerPointRange},
        {"LAYERSETPOINTSIZE", 3, &FontData::CmdLayerSetPointSize},
        {"LAYERSETIMAGE", 3, &FontData::CmdLayerSetImage},
        {"LAYERSETDRAWMODE", 3, &FontData::CmdLayerSetDrawMode},
        {"LAYERSETCOLORMULT", 3, &FontData::CmdLayerSetColorMult},
        {"LAYERSETCOLORADD", 3, &FontData::CmdLayerSetColorAdd},
        {"LAYERSETASCENT", 3, &FontData::CmdLayerSetAscent},
        {"LAYERSETASCENTPADDING", 3, &FontData::CmdLayerSetAscentPadding},
        {"LAYERSETLINESPACINGOFFSET", 3, &FontData::CmdLayerSetLineSpacingOffset},
        {"LAYERSETOFFSET", 3, &FontData::CmdLayerSetOffset},
        {"LAYERSETCHARWIDTHS", 4, &FontData::CmdLayerSetCharWidths},
        {"LAYERSETSPACING", 3, &FontData::CmdLayerSetSpacing},
        {"LAYERSETIMAGEMAP", 4, &FontData::CmdLayerSetImageMap},
        {"LAYERSETCHAROFFSETS", 4, &FontData::CmdLayerSetCharOffsets},
        {"LAYERSETKERNINGPAIRS", 4, &FontData::CmdLayerSetKerningPairs},
        {"LAYERSETBASEORDER", 3, &FontData::CmdLayerSetBaseOrder},
        {"LAYERSETCHARORDERS", 4, &FontData::CmdLayerSetCharOrders},
    };
    return commands;
}

bool FontData::HandleCommand(const ListDataElement& params)
{
    const std::string command = ToUpperCopy(Word(*params.At(0)));
    if (command == "DEFINE")
        return HandleDefine(params);
    for (const CommandSpec& spec : Commands()) {
        if (command != spec.mName)
            continue;
        if (params.Size() != spec.mParamCount)
            return Error("Invalid Number of Parameters");
        return (this->*spec.mHandler)(params);
    }
    return Error("Unknown Command");
}

// ---- Parameter kinds ------------------------------------------------------------------------

bool FontData::LayerParam(const DataElement& element, FontLayerSpec*& layer)
{
    if (!GetLayer(element, layer))
        return Error("Invalid Paramater Type");
    return true;
}

bool FontData::NumberParam(const DataElement& element, int& out)
{
    if (element.mIsList || !ParseInt(Word(element), out))
        return Error("Invalid Paramater Type");
    return true;
}

bool FontData::NameParam(const DataElement& element, std::string& out)
{
    if (element.mIsList)
        return Error("Invalid Paramater Type");
    out = ToUpperCopy(Word(element));
    return true;
}

bool FontData::StringParam(const DataElement& element, std::string& out)
{
    if (!GetString(element, out))
        return Error("Invalid Paramater Type");
    return true;
}

bool FontData::StringListParam(const DataElement& element, std::vector<std::string>& out)
{
    if (!GetStringList(element, out))
        return Error("Invalid Paramater Type");
    return true;
}

bool FontData::IntListParam(const DataElement& element, std::vector<int>& out, std::size_t exactSize)
{
    if (!GetIntList(element, out) || (exactSize != 0 && out.size() != exactSize))
        return Error("Invalid Paramater Type");
    return true;
}

bool FontData::DoubleListParam(const DataElement& element, std::vector<double>& out, std::size_t exactSize)
{
    if (!GetDoubleList(element, out) || (exactSize != 0 && out.size() != exactSize))
        return Error("Invalid Paramater Type");
    return true;
}

bool FontData::ListParam(const DataElement& element, ListDataElement& out)
{
    if (!GetList(element, out))
        return Error("Invalid Paramater Type");
    return true;
}

bool FontData::SameSize(std::size_t a, std::size_t b)
{
    return a == b ? true : Error("List Size Mismatch");
}

// ---- Commands -------------------------------------------------------------------------------

bool FontData::CmdCreateHorzSpanRectList(const ListDataElement& params)
{
    std::string name;
    std::vector<int> rect, widths;
    if (!NameParam(*params.At(1), name) || !IntListParam(*params.At(2), rect, 4) ||
        !IntListParam(*params.At(3), widths))
        return false;
    auto list = std::make_unique<ListDataElement>();
    long long x = rect[0];
    for (int width : widths) {
        auto item = std::make_unique<ListDataElement>();
        for (long long value :
             {x, static_cast<long long>(rect[1]), static_cast<long long>(width), static_cast<long long>(rect[3])})
            item->Append(std::make_unique<SingleDataElement>(std::to_string(static_cast<int>(value))));
        list->Append(std::move(item));
        x += width;
    }
    mDefineMap[name] = std::move(list);
    return true;
}

bool FontData::CmdSetDefaultPointSize(const ListDataElement& params)
{
    return NumberParam(*params.At(1), mDefaultPointSize);
}

bool FontData::CmdSetCharMap(const ListDataElement& params)
{
    std::vector<std::string> from, to;
    if (!StringListParam(*params.At(1), from) || !StringListParam(*params.At(2), to))
        return false;
    if (!SameSize(from.size(), to.size()))
        return false;
    bool bad = false;
    for (std::size_t i = 0; i < from.size(); ++i) {
        if (from[i].size() != 1 || to[i].size() != 1) {
            bad = true;
            continue;
        }
        mCharMap[static_cast<unsigned char>(from[i][0])] = static_cast<unsigned char>(to[i][0]);
    }
    return bad ? Error("Invalid Paramater Type") : true;
}

FontLayerSpec& FontData::AppendLayer(const std::string& name, const FontLayerSpec* copyOf)
{
    if (copyOf)
        mFontLayerList.push_back(*copyOf);
    else
        mFontLayerList.emplace_back(this);
    FontLayerSpec& layer = mFontLayerList.back();
    if (mFontLayerMap.count(name) != 0)
        Error("Layer Already Exists");
    else
        mFontLayerMap[name] = &layer;
    return layer;
}

bool FontData::CmdCreateLayer(const ListDataElement& params)
{
    std::string name;
    if (!NameParam(*params.At(1), name))
        return false;
    AppendLayer(name, nullptr);
    // A name taken twice is reported but does not stop the load.
    return true;
}

bool FontData::CmdCreateLayerFrom(const ListDataElement& params)
{
    std::string name;
    FontLayerSpec* source = nullptr;
    if (!NameParam(*params.At(1), name) || !LayerParam(*params.At(2), source))
        return false;
    AppendLayer(name, source);
    return true;
}

bool FontData::AddLayerTags(const ListDataElement& params, std::vector<std::string> FontLayerSpec::*tags)
{
    FontLayerSpec* layer = nullptr;
    std::vector<std::string> words;
    if (!LayerParam(*params.At(1), layer) || !StringListParam(*params.At(2), words))
        return false;
    for (const std::string& word : words)
        (layer->*tags).push_back(ToUpperCopy(word));
    return true;
}

bool FontData::CmdLayerRequireTags(const ListDataElement& params)
{
    return AddLayerTags(params, &FontLayerSpec::mRequiredTags);
}

bool FontData::CmdLayerExcludeTags(const ListDataElement& params)
{
    return AddLayerTags(params, &FontLayerSpec::mExcludedTags);
}

bool FontData::CmdLayerPointRange(const ListDataElement& params)
{
    FontLayerSpec* layer = nullptr;
    int minimum = 0, maximum = 0;
    if (!LayerParam(*params.At(1), layer) || !NumberParam(*params.At(2), minimum) ||
        !NumberParam(*params.At(3), maximum))
        return false;
    layer->mMinPointSize = minimum;
    layer->mMaxPointSize = maximum;
    return true;
}

bool FontData::SetLayerInt(const ListDataElement& params, int FontLayerSpec::*field)
{
    FontLayerSpec* layer = nullptr;
    int value = 0;
    if (!LayerParam(*params.At(1), layer) || !NumberParam(*params.At(2), value))
        return false;
    layer->*field = value;
    return true;
}

bool FontData::CmdLayerSetPointSize(const ListDataElement& params)
{
    return SetLayerInt(params, &FontLayerSpec::mPointSize);
}

bool FontData::CmdLayerSetImage(const ListDataElement& params)
{
    FontLayerSpec* layer = nullptr;
    std::string fileName;
    if (!LayerParam(*params.At(1), layer) || !StringParam(*params.At(2), fileName))
        return false;
    const std::string path = ResolveRelativePath(fileName, PathDirectory(mSourceFile, false));
    auto known = mImageMap.find(path);
    if (known != mImageMap.end()) {
        layer->mImage = known->second;
        return true;
    }
    ResourceHost* app = App();
    std::shared_ptr<MemoryImage> image(app ? app->LoadImageFile(path) : nullptr);
    if (!image)
        return Error("Failed to Load Image");
    image->Palettize();
    mImageMap[path] = image;
    layer->mImage = image;
    return true;
}

bool FontData::CmdLayerSetDrawMode(const ListDataElement& params)
{
    FontLayerSpec* layer = nullptr;
    int mode = 0;
    if (!LayerParam(*params.At(1), layer) || !NumberParam(*params.At(2), mode))
        return false;
    if (mode != 0 && mode != 1)
        return Error("Invalid Paramater Type");
    layer->mDrawMode = mode;
    return true;
}

bool FontData::SetLayerColor(const ListDataElement& params, Color FontLayerSpec::*color)
{
    FontLayerSpec* layer = nullptr;
    std::vector<double> values;
    if (!LayerParam(*params.At(1), layer) || !DoubleListParam(*params.At(2), values, 4))
        return false;
    layer->*color = Color(ChannelFromFraction(values[0]), ChannelFromFraction(values[1]),
                          ChannelFromFraction(values[2]), ChannelFromFraction(values[3]));
    return true;
}

bool FontData::CmdLayerSetColorMult(const ListDataElement& params)
{
    return SetLayerColor(params, &FontLayerSpec::mColorMult);
}

bool FontData::CmdLayerSetColorAdd(const ListDataElement& params)
{
    return SetLayerColor(params, &FontLayerSpec::mColorAdd);
}

bool FontData::CmdLayerSetAscent(const ListDataElement& params)
{
    return SetLayerInt(params, &FontLayerSpec::mAscent);
}

bool FontData::CmdLayerSetAscentPadding(const ListDataElement& params)
{
    return SetLayerInt(params, &FontLayerSpec::mAscentPadding);
}

bool FontData::CmdLayerSetLineSpacingOffset(const ListDataElement& params)
{
    return SetLayerInt(params, &FontLayerSpec::mLineSpacingOffset);
}

bool FontData::CmdLayerSetOffset(const ListDataElement& params)
{
    FontLayerSpec* layer = nullptr;
    std::vector<int> offset;
    if (!LayerParam(*params.At(1), layer) || !IntListParam(*params.At(2), offset, 2))
        return false;
    layer->mOffsetX = offset[0];
    layer->mOffsetY = offset[1];
    return true;
}

bool FontData::SetCharInts(const ListDataElement& params, int FontCharData::*field)
{
    FontLayerSpec* layer = nullptr;
    std::vector<std::string> chars;
    std::vector<int> values;
    if (!LayerParam(*params.At(1), layer) || !StringListParam(*params.At(2), chars) ||
        !IntListParam(*params.At(3), values) || !SameSize(chars.size(), values.size()))
        return false;
    bool bad = false;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (chars[i].size() != 1) {
            bad = true;
            continue;
        }
        layer->Char(static_cast<unsigned char>(chars[i][0])).*field = values[i];
    }
    return bad ? Error("Invalid Paramater Type") : true;
}

bool FontData::CmdLayerSetCharWidths(const ListDataElement& params)
{
    return SetCharInts(params, &FontCharData::mWidth);
}

bool FontData::CmdLayerSetSpacing(const ListDataElement& params)
{
    return SetLayerInt(params, &FontLayerSpec::mSpacing);
}

bool FontData::CmdLayerSetImageMap(const ListDataElement& params)
{
    FontLayerSpec* layer = nullptr;
    std::vector<std::string> chars;
    ListDataElement rects;
    if (!LayerParam(*params.At(1), layer) || !StringListParam(*params.At(2), chars) ||
        !ListParam(*params.At(3), rects) || !SameSize(chars.size(), rects.Size()))
        return false;
    if (!layer->mImage)
        return Error("Layer image not set");
    const long long imageWidth = layer->mImage->GetWidth();
    const long long imageHeight = layer->mImage->GetHeight();
    bool bad = false;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        std::vector<int> r;
        if (chars[i].size() != 1 || !GetIntList(*rects.At(i), r) || r.size() != 4) {
            bad = true;
            continue;
        }
        // A negative size would pass the edge test and reach outside the picture all the same.
        if (r[0] < 0 || r[1] < 0 || r[2] < 0 || r[3] < 0 || r[0] + (long long)r[2] > imageWidth ||
            r[1] + (long long)r[3] > imageHeight)
            return Error("Image rectangle out of bounds");
        layer->Char(static_cast<unsigned char>(chars[i][0])).mImageRect = Rect(r[0], r[1], r[2], r[3]);
    }
    long long height = 0;
    for (const FontCharData& c : layer->mCharData)
        height = std::max(height, static_cast<long long>(c.mImageRect.mHeight) + c.mOffsetY);
    layer->mHeight = static_cast<int>(std::min<long long>(height, 2147483647LL));
    return bad ? Error("Invalid Paramater Type") : true;
}

bool FontData::CmdLayerSetCharOffsets(const ListDataElement& params)
{
    FontLayerSpec* layer = nullptr;
    std::vector<std::string> chars;
    ListDataElement offsets;
    if (!LayerParam(*params.At(1), layer) || !StringListParam(*params.At(2), chars) ||
        !ListParam(*params.At(3), offsets) || !SameSize(chars.size(), offsets.Size()))
        return false;
    bool bad = false;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        std::vector<int> offset;
        if (chars[i].size() != 1 || !GetIntList(*offsets.At(i), offset) || offset.size() != 2) {
            bad = true;
            continue;
        }
        FontCharData& c = layer->Char(static_cast<unsigned char>(chars[i][0]));
        c.mOffsetX = offset[0];
        c.mOffsetY = offset[1];
    }
    return bad ? Error("Invalid Paramater Type") : true;
}

bool FontData::CmdLayerSetKerningPairs(const ListDataElement& params)
{
    FontLayerSpec* layer = nullptr;
    std::vector<std::string> pairs;
    std::vector<int> values;
    if (!LayerParam(*params.At(1), layer) || !StringListParam(*params.At(2), pairs) ||
        !IntListParam(*params.At(3), values) || !SameSize(pairs.size(), values.size()))
        return false;
    bool bad = false;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i].size() != 2) {
            bad = true;
            continue;
        }
        const auto first = static_cast<unsigned char>(pairs[i][0]);
        const auto second = static_cast<unsigned char>(pairs[i][1]);
        layer->Char(first).mKerningOffsets[second] = static_cast<signed char>(values[i] & 0xFF);
    }
    return bad ? Error("Invalid Paramater Type") : true;
}

bool FontData::CmdLayerSetBaseOrder(const ListDataElement& params)
{
    return SetLayerInt(params, &FontLayerSpec::mBaseOrder);
}

bool FontData::CmdLayerSetCharOrders(const ListDataElement& params)
{
    return SetCharInts(params, &FontCharData::mOrder);
}

// ---- Image and widths file ------------------------------------------------------------------

bool FontData::LoadFromImage(std::shared_ptr<MemoryImage> image, const std::string& widthsFileName)
{
    std::string text;
    if (mLoaded || !ReadWholeFile(Paths::Resolve(widthsFileName), text, kMaxWidthsFileBytes))
        return false;
    mSourceFile = widthsFileName;
    return ParseImageWidths(std::move(image), text);
}

bool FontData::ParseImageWidths(std::shared_ptr<MemoryImage> image, const std::string& widthsText)
{
    if (mLoaded)
        return false;
    FontLayerSpec& layer = AppendLayer("", nullptr);
    const int imageHeight = image ? image->GetHeight() : 0;
    layer.mImage = std::move(image);
    layer.mHeight = imageHeight;
    layer.mAscent = imageHeight;
    ReadWidthsFile(layer, widthsText);
    ApplyCaseFallback(layer);
    mLoaded = true;
    return true;
}

namespace
{

// Whitespace-separated items of a widths file, read as the C library's formatted input would.
class WidthsReader
{
public:
    explicit WidthsReader(const std::string& text) : mText(text) {}

    bool ReadInt(int& out)
    {
        SkipSpace();
        const char* start = mText.c_str() + mPos;
        char* end = nullptr;
        long value = std::strtol(start, &end, 10);
        if (end == start)
            return false;
        mPos += static_cast<std::size_t>(end - start);
        out = static_cast<int>(std::clamp<long>(value, -1000000, 1000000));
        return true;
    }

    bool ReadChar(char& out)
    {
        SkipSpace();
        if (mPos >= mText.size())
            return false;
        out = mText[mPos++];
        return true;
    }

private:
    void SkipSpace()
    {
        while (mPos < mText.size() && std::isspace(static_cast<unsigned char>(mText[mPos])))
            ++mPos;
    }

    const std::string& mText;
    std::size_t mPos = 0;
};

} // namespace

bool FontData::ReadWidthsFile(FontLayerSpec& layer, const std::string& text)
{
    WidthsReader reader(text);
    int value = 0;
    if (!reader.ReadInt(value))
        return false;
    layer.Char(' ').mWidth = value;
    if (!reader.ReadInt(value))
        return false;
    layer.mAscent = value;

    // Glyphs stand side by side; a negative width gives no picture rather than one reaching back.
    int x = 0;
    char c = 0;
    while (reader.ReadChar(c) && reader.ReadInt(value)) {
        FontCharData& record = layer.Char(static_cast<unsigned char>(c));
        const int pictureWidth = std::max(value, 0);
        record.mImageRect = Rect(x, 0, pictureWidth, layer.mHeight);
        record.mWidth = value;
        // Held below the int limit: a long file of wide glyphs must not wrap back into the picture.
        x = static_cast<int>(std::min<long long>(static_cast<long long>(x) + pictureWidth, 1000000000LL));
    }
    return true;
}

void FontData::ApplyCaseFallback(const FontLayerSpec& layer)
{
    for (int upper = 'A'; upper <= 'Z'; ++upper) {
        const int lower = upper - 'A' + 'a';
        if (layer.Char(upper).mWidth == 0 && layer.Char(lower).mWidth != 0)
            mCharMap[upper] = static_cast<unsigned char>(lower);
    }
    for (int lower = 'a'; lower <= 'z'; ++lower) {
        const int upper = lower - 'a' + 'A';
        if (layer.Char(lower).mWidth == 0 && layer.Char(upper).mWidth != 0)
            mCharMap[lower] = static_cast<unsigned char>(upper);
    }
}

} // namespace Olvarn
