// The resource manifest, the signature file over the property files, and the licence texts.
#include <algorithm>
#include <filesystem>
#include <map>

#include "Assets.h"
#include "data/DataChecksum.h"

namespace datagen
{

namespace
{

// The groups in the order the game meets them; location groups follow in number order.
int GroupRank(const std::string& group)
{
    static const char* const kOrder[] = {"Init", "General", "MainMenu", "Map", "Game", "Help"};
    for (int i = 0; i < 6; ++i)
        if (group == kOrder[i])
            return i;
    return 6;
}

} // namespace

void WriteManifest(const Options& options)
{
    std::vector<ManifestEntry> entries = MakeImages(options, false);
    for (auto* step : {&MakeSounds, &MakeFonts}) {
        std::vector<ManifestEntry> more = (*step)(options, false);
        entries.insert(entries.end(), more.begin(), more.end());
    }
    std::map<std::string, int> seen;
    for (const ManifestEntry& e : entries)
        if (++seen[e.kind + " " + e.id] > 1)
            Fail("resource " + e.id + " is declared twice");
    std::stable_sort(entries.begin(), entries.end(), [](const ManifestEntry& a, const ManifestEntry& b) {
        int ra = GroupRank(a.group), rb = GroupRank(b.group);
        if (ra != rb)
            return ra < rb;
        if (a.group != b.group)
            return a.group.size() != b.group.size() ? a.group.size() < b.group.size() : a.group < b.group;
        return false;
    });
    std::string xml = "<?xml version=\"1.0\"?>\r\n<!-- Made by the data generator from the recipes in data/. -->\r\n"
                      "<ResourceManifest>\r\n";
    std::string open;
    for (const ManifestEntry& e : entries) {
        if (e.group != open) {
            if (!open.empty())
                xml += "  </Resources>\r\n";
            xml += "  <Resources id=\"" + e.group + "\">\r\n";
            open = e.group;
        }
        xml += "    <" + e.kind + " id=\"" + e.id + "\" " + e.attributes + "/>\r\n";
    }
    if (!open.empty())
        xml += "  </Resources>\r\n";
    xml += "</ResourceManifest>\r\n";
    WriteFile(options.out + "/properties/resources.xml", xml);
}

void WriteSignature(const Options& options)
{
    std::string ini = "[crc]\r\n";
    for (const std::string& name : ListFiles(options.out + "/properties", ".xml")) {
        std::string bytes = ReadFile(options.out + "/properties/" + name);
        uint32_t sum = tilvan::Checksum(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data()));
        ini += name + "=" + std::to_string(sum) + "\r\n";
    }
    WriteFile(options.out + "/xml.sig", ini);
}

void WriteLicences(const Options& options)
{
    struct Licence {
        const char* from;
        const char* to;
    };
    const Licence kLicences[] = {
        {"/usr/share/doc/fonts-dejavu-core/copyright", "licences/fonts-dejavu.txt"},
        {"/usr/share/doc/fluid-soundfont-gm/copyright", "licences/fluid-soundfont.txt"},
    };
    for (const Licence& l : kLicences)
        WriteFile(options.out + "/" + l.to, ReadFile(l.from));
    WriteFile(options.out + "/licences/README.txt",
              "The image fonts are drawn from the DejaVu fonts and the music is played on the Fluid R3 "
              "General MIDI soundfont; their licences are beside this file. Every other picture, sound "
              "and tune of this data set is made by the game's own data generator from its sources.\r\n");
}

} // namespace datagen
