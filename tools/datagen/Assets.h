// The generator's steps. Each reads its recipes under Options::src, makes what is out of date in
// Options::out and names the manifest entries it provides.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "Util.h"

namespace datagen
{

struct ManifestEntry {
    std::string group;
    std::string kind; // "Image", "Sound" or "Font"
    std::string id;
    std::string attributes; // path and options, as written into the manifest
    std::string file;       // the main output file, relative to the data set
    std::string soundClass; // effects: "interface", "game" or "fanfare"
};

// With make false only the entries are listed.
std::vector<ManifestEntry> MakeImages(const Options& options, bool make);
// Every picture's values as its template sees them, palettes and styles resolved, by file name
// (the review scenes too).
std::map<std::string, std::map<std::string, std::string>> ImageValues(const Options& options);
// A colour of the image palettes named "@set.key" (with ":AA" for an alpha), for the other recipes;
// a colour written out fails, naming `where`.
std::string PaletteColour(const Options& options, const std::string& value, const std::string& where);
// The pieces' masks and centres as the board's element rows take them, for the review folder.
std::string DescribePieces(const Options& options);
std::vector<ManifestEntry> MakeFonts(const Options& options, bool make);
std::vector<ManifestEntry> MakeSounds(const Options& options, bool make);
// Music has no manifest entries: the game loads its tracks by file name.
std::vector<std::string> MakeMusic(const Options& options, bool make);

void WriteManifest(const Options& options);
// The signature file over the property files of the data set.
void WriteSignature(const Options& options);
// One picture of every image of the manifest, and one page listing every sound and track.
void WriteContactSheet(const Options& options);
// The licence texts of the fonts and the soundfont the set is made from.
void WriteLicences(const Options& options);

} // namespace datagen
