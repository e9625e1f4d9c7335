// Fuzz target: the widths file of a font cut from one picture, then text measured and drawn with it.
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzApp.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ImageFont.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::EnterScratchFolder();
    fuzzsupport::WriteText("fuzzed-widths.txt", std::string(reinterpret_cast<const char*>(data), size));
    auto picture = std::make_shared<Olvarn::MemoryImage>();
    picture->Create(32, 12);
    Olvarn::ImageFont font(picture, "fuzzed-widths.txt");
    Olvarn::MemoryImage target;
    target.Create(64, 32);
    Olvarn::Graphics g(&target);
    const std::string text = "a bc ABC 09~\x7f\xe9";
    font.TextWidth(text);
    font.DrawText(&g, 2, 14, text, Olvarn::Color::White, Olvarn::Rect(0, 0, 64, 32));
    return 0;
}
