// Fuzz target: an image font's descriptor commands, then the font measuring and drawing text with
// what they made. Files the descriptor may name are in the scratch folder.
#include <cstdint>
#include <string>

#include "FuzzApp.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/FontData.h"
#include "resources/ImageFont.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzzsupport::FuzzApp* app = new fuzzsupport::FuzzApp();
    fuzzsupport::EnterScratchFolder();
    fuzzsupport::WriteText("fuzzed.txt", std::string(reinterpret_cast<const char*>(data), size));
    Olvarn::ImageFont font(app, "fuzzed.txt");
    if (!font.mFontData->mLoaded)
        return 0;
    Olvarn::MemoryImage target;
    target.Create(64, 32);
    Olvarn::Graphics g(&target);
    const std::string text = "abc ABC\x01\xff";
    font.TextWidth(text);
    font.DrawText(&g, 3, 20, text, Olvarn::Color(200, 100, 50), Olvarn::Rect(0, 0, 64, 32));
    font.AddTag("bold");
    font.SetPointSize(font.DefaultPointSize() + 2);
    font.SetScale(1.5);
    font.DrawText(&g, -5, 10, text, Olvarn::Color::White, Olvarn::Rect(0, 0, 64, 32));
    return 0;
}
