// The application the fuzz targets of fonts and the manifest load through: a display device on the
// fake display, fatal messages counted instead of shown, and a scratch folder as the working folder
// with a few small pictures and a font descriptor that fuzzed files may name.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/OlvarnAppBase.h"
#include "graphics/DDInterface.h"
#include "platform/DisplayFake.h"
#include "resources/ImageLib.h"

namespace fuzzsupport
{

class FuzzApp : public Olvarn::OlvarnAppBase
{
public:
    FuzzApp()
    {
        mDDInterface = new Olvarn::DDInterface(this, GetDisplayOptions(), std::make_unique<Olvarn::DisplayFake>());
    }
    void ShowFatalMessage(const std::string&) override { ++mFatalMessages; }
    int mFatalMessages = 0;
};

inline void WriteText(const std::string& name, const std::string& text)
{
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0)
        std::abort();
}

// Makes the scratch folder the working folder, once, with what fuzzed files may refer to:
// pic.png (16 x 8) and its alpha companion _pic.png, cells.png (32 x 32), font.txt and widths.txt.
inline void EnterScratchFolder()
{
    static const bool entered = [] {
        static char name[] = "/tmp/tamberlo-fuzz-dir-XXXXXX";
        if (!mkdtemp(name) || chdir(name) != 0)
            std::abort();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(name, ignored);
        });
        ImageLib::Image pic, cells;
        pic.Create(16, 8);
        cells.Create(32, 32);
        for (int i = 0; i < 16 * 8; ++i)
            pic.GetBits()[i] = 0xFF000000u | uint32_t(i * 0x010305);
        for (int i = 0; i < 32 * 32; ++i)
            cells.GetBits()[i] = uint32_t(i) * 0x01020304u;
        if (!ImageLib::SavePng("pic.png", pic) || !ImageLib::SavePng("_pic.png", pic) ||
            !ImageLib::SavePng("cells.png", cells))
            std::abort();
        WriteText("font.txt", "Define Chars ('a', 'b', 'c');\n"
                              "CreateLayer Main;\n"
                              "LayerSetImage Main 'cells.png';\n"
                              "LayerSetAscent Main 8;\n"
                              "LayerSetImageMap Main Chars ((0, 0, 4, 8), (4, 0, 5, 8), (9, 0, 6, 8));\n"
                              "LayerSetCharWidths Main Chars (4, 5, 6);\n");
        WriteText("widths.txt", "4 7\na 4\nb 5\nc 6\n");
        return true;
    }();
    (void)entered;
}

} // namespace fuzzsupport
