// Fuzz target: finding an image by name with its alpha companions. The input is split into a colour
// file and a companion, each written under an extension the first byte picks; the search then runs
// with and without an extension and with the companion looked for.
#include <cstdint>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "FuzzApp.h"
#include "resources/ImageLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* const kExtensions[] = {".tga", ".jpg", ".png", ".gif"};
    if (size < 3)
        return 0;
    fuzzsupport::EnterScratchFolder();
    const std::string colourExt = kExtensions[data[0] & 3], alphaExt = kExtensions[(data[0] >> 2) & 3];
    const size_t split = 3 + (size_t(data[1]) << 8 | data[2]) % (size - 2);
    const std::string colour(reinterpret_cast<const char*>(data) + 3, split - 3);
    const std::string alpha(reinterpret_cast<const char*>(data) + split, size - split);
    for (const char* ext : kExtensions) {
        std::remove((std::string("s/q") + ext).c_str());
        std::remove((std::string("s/_q") + ext).c_str());
        std::remove((std::string("s/q_") + ext).c_str());
    }
    ::mkdir("s", 0700);
    fuzzsupport::WriteText("s/q" + colourExt, colour);
    // The companion goes beside it as "_q" or as "q_", as the second byte says.
    fuzzsupport::WriteText((data[0] & 16) ? "s/q_" + alphaExt : "s/_q" + alphaExt, alpha);
    for (const std::string& name : {std::string("s/q"), "s/q" + colourExt, std::string("s\\Q")}) {
        for (bool lookForAlpha : {false, true}) {
            std::unique_ptr<ImageLib::Image> image = ImageLib::LoadImageFile(name, lookForAlpha);
            if (image) {
                volatile uint32_t last = image->GetBits()[image->GetWidth() * image->GetHeight() - 1];
                (void)last;
            }
        }
    }
    return 0;
}
