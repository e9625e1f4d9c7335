// The data generator: makes the game's pictures, image fonts, sounds and music from the sources in
// data/, and writes the resource manifest, the signature file and the review pages.
//
//   tamberlo-datagen STEP... --src DATA --out SET [--cache DIR] [--review DIR] [--jobs N]
//
// Steps: images fonts sounds music manifest signature licences sheet, or all.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "Assets.h"

int main(int argc, char** argv)
{
    using namespace datagen;
    Options options;
    std::vector<std::string> steps;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "datagen: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--src")
            options.src = value();
        else if (arg == "--out")
            options.out = value();
        else if (arg == "--cache")
            options.cache = value();
        else if (arg == "--review")
            options.review = value();
        else if (arg == "--jobs")
            options.jobs = std::max(1, std::atoi(value().c_str()));
        else if (arg == "all")
            steps.insert(steps.end(), {"images", "fonts", "sounds", "music", "manifest", "signature", "licences"});
        else
            steps.push_back(arg);
    }
    if (options.src.empty() || options.out.empty() || steps.empty()) {
        std::fprintf(stderr, "usage: %s STEP... --src DATA --out SET [--cache DIR] [--review DIR] [--jobs N]\n",
                     argv[0]);
        return 2;
    }
    try {
        for (const std::string& step : steps) {
            if (step == "images")
                MakeImages(options, true);
            else if (step == "fonts")
                MakeFonts(options, true);
            else if (step == "sounds")
                MakeSounds(options, true);
            else if (step == "music")
                MakeMusic(options, true);
            else if (step == "manifest")
                WriteManifest(options);
            else if (step == "signature")
                WriteSignature(options);
            else if (step == "licences")
                WriteLicences(options);
            else if (step == "sheet")
                WriteContactSheet(options);
            else
                Fail("unknown step " + step);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "datagen: %s\n", e.what());
        return 1;
    }
    return 0;
}
