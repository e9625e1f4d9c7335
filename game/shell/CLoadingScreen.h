// The loading screen: the pictures of its layout and a bar that grows with the resource loading.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Vector2.h"
#include "shell/CImage.h"
#include "shell/CScreen.h"

namespace Olvarn
{
class Image;
}

namespace tilvan
{

class CXmlDataReader;

struct LoadingImageEntry {
    std::string image;
    Olvarn::OlvarnVector2 pos;
};

// The layout table, filled from "loading_image" rows before any loading screen is built.
std::vector<LoadingImageEntry>& LoadingImages();
void ClearLoadingImages();
void DeclareLoadingImageSchema(CXmlDataReader& reader);
void LoadLoadingImages(const CXmlDataReader& reader);

class CLoadingScreen : public CScreen
{
public:
    static constexpr int kBarY = 671;
    static constexpr const char* kProgressImage = "IMAGE_GUI_LOADING_PROGRESS";

    CLoadingScreen();

    void Update() override;
    void Draw(Olvarn::Graphics& g) override;

    // Where the bar of a progress image of that width starts on a screen of that width.
    static int BarX(int screenWidth, int imageWidth) { return screenWidth / 2 - imageWidth / 2 - 10; }

private:
    void DrawBar(Olvarn::Graphics& g);
    int BarWidth() const;
    // Whether a draw now would show any picture otherwise than the last one did.
    bool PicturesChanged() const;

    std::vector<CImage> images;
    // Looked up once, when the screen is made: the loading thread has not started then, so the
    // resource tables are never read while it fills them.
    Olvarn::Image* progressImage = nullptr;
    // What the last draw showed: each picture's appearance and the bar's width (-1: never drawn).
    std::vector<uint64_t> shown;
    int shownBar = -1;
};

} // namespace tilvan
