// The finished data set: every manifest resource loads through the resource manager with the size
// and cells it is declared with, sounds and music decode within their loudness and length, and the
// property files match xml.sig.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "data/DataChecksum.h"
#include "graphics/Font.h"
#include "platform/Paths.h"
#include "resources/ResourceManager.h"
#include "resources/ResourceManagerTestSupport.h"
#include "sound/SoundFileReader.h"
#include "support/TempDir.h"

namespace
{

namespace fs = std::filesystem;

std::string DataSet()
{
    return testsupport::BinaryDir() + "/bin";
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct Declared {
    std::string kind, group, id, path;
    int cols = 1, rows = 1;
};

// The manifest's entries as written, one element a line.
std::vector<Declared> ReadDeclared()
{
    std::vector<Declared> out;
    std::istringstream in(Slurp(DataSet() + "/properties/resources.xml"));
    std::string line, group;
    const std::regex groupTag(R"re(<Resources id="([^"]+)")re");
    const std::regex entry(R"re(<(Image|Sound|Font) id="([^"]+)" path="([^"]+)"(.*)/>)re");
    const std::regex cols(R"re(cols="(\d+)")re"), rows(R"re(rows="(\d+)")re");
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, groupTag)) {
            group = m[1];
        } else if (std::regex_search(line, m, entry)) {
            Declared d{m[1], group, m[2], m[3]};
            std::string rest = m[4];
            if (std::regex_search(rest, m, cols))
                d.cols = std::stoi(m[1]);
            if (std::regex_search(rest, m, rows))
                d.rows = std::stoi(m[1]);
            out.push_back(d);
        }
    }
    return out;
}

// The decoded samples of an Ogg file as 16-bit values, with their format.
struct Decoded {
    bool ok = false;
    Olvarn::PcmFormat format;
    std::vector<int16_t> samples;
};

Decoded DecodeOgg(const std::string& path)
{
    Decoded d;
    std::string bytes = Slurp(path);
    Olvarn::DecodedSound sound;
    d.ok = Olvarn::ReadOggSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), sound);
    d.format = sound.mFormat;
    if (d.ok && sound.mFormat.mBitsPerSample == 16) {
        d.samples.resize(sound.mData.size() / 2);
        std::memcpy(d.samples.data(), sound.mData.data(), d.samples.size() * 2);
    }
    return d;
}

int Peak(const std::vector<int16_t>& samples)
{
    int peak = 0;
    for (int16_t s : samples)
        peak = std::max(peak, std::abs(int(s)));
    return peak;
}

// -1 dBFS of a 16-bit sample.
constexpr int kLoudest = 29204;

class MediaSet : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mOldFolder = Olvarn::Paths::CurrentDirectory();
        ASSERT_TRUE(Olvarn::Paths::ChangeDirectory(DataSet()));
    }
    void TearDown() override { Olvarn::Paths::ChangeDirectory(mOldFolder); }

    std::string mOldFolder;
};

TEST_F(MediaSet, EveryManifestResourceLoadsWithItsDeclaredCells)
{
    std::vector<Declared> declared = ReadDeclared();
    ASSERT_FALSE(declared.empty());
    restest::TestApp app;
    Olvarn::ResourceManager manager(&app);
    ASSERT_TRUE(manager.ReadManifest("properties\\resources.xml")) << manager.ErrorMessage();
    std::set<std::string> groups;
    for (const Declared& d : declared)
        groups.insert(d.group);
    for (const std::string& group : groups)
        EXPECT_TRUE(manager.LoadGroup(group)) << group << ": " << manager.ErrorMessage();
    EXPECT_TRUE(app.mFatal.empty()) << app.mFatal.front();

    for (const Declared& d : declared) {
        SCOPED_TRACE(d.id);
        if (d.kind == "Image") {
            Olvarn::DDImage* image = manager.FindImage(d.id);
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(image->mNumCols, d.cols);
            EXPECT_EQ(image->mNumRows, d.rows);
            EXPECT_EQ(image->GetWidth() % d.cols, 0);
            EXPECT_EQ(image->GetHeight() % d.rows, 0);
        } else if (d.kind == "Font") {
            Olvarn::Font* font = manager.FindFont(d.id);
            ASSERT_NE(font, nullptr);
            EXPECT_GT(font->Height(), 0);
            EXPECT_GT(font->TextWidth("Tamberlo 123"), 0);
        } else {
            EXPECT_GE(manager.FindSoundId(d.id), 0);
        }
    }
    // The manager frees nothing itself: the application unloads its groups first.
    for (const std::string& group : groups)
        manager.UnloadGroup(group);
}

TEST_F(MediaSet, PicturesAndFontsTheGameDrawsAtKnownSizes)
{
    struct Case {
        const char* id;
        int cols, cellWidth, cellHeight; // 0: any
    };
    const Case kCases[] = {
        {"IMAGE_WATER_ANIM", 22, 0, 0},          {"IMAGE_ELEMENT_01", 1, 132, 187},
        {"IMAGE_ELEMENT_01_LIGHT", 8, 132, 187}, {"IMAGE_ELEMENT_15_LIGHT", 8, 132, 187},
        {"IMAGE_LOCATION1_BACK", 1, 1024, 768},  {"IMAGE_MAINMENU_BACK", 1, 1024, 768},
        {"IMAGE_GUI_INFO_PANEL", 1, 147, 768},   {"IMAGE_GRID_TRI_UP", 1, 40, 35},
        {"IMAGE_GRID_TRI_EDGE06", 1, 40, 35},
    };
    restest::TestApp app;
    Olvarn::ResourceManager manager(&app);
    ASSERT_TRUE(manager.ReadManifest("properties\\resources.xml")) << manager.ErrorMessage();
    ASSERT_TRUE(manager.LoadGroup("")) << manager.ErrorMessage();
    // The face's own kerning table reached the descriptor: A and V close up. (The rounded title face
    // keeps its kerning only in OpenType positioning, which the glyph strips do not read.)
    Olvarn::Font* score = manager.FindFont("FONT_SCORE");
    ASSERT_NE(score, nullptr);
    EXPECT_LT(score->TextWidth("AV"), score->TextWidth("A") + score->TextWidth("V"));
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.id);
        Olvarn::DDImage* image = manager.FindImage(c.id);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->mNumCols, c.cols);
        if (c.cellWidth) {
            EXPECT_EQ(image->GetCellWidth(), c.cellWidth);
            EXPECT_EQ(image->GetCellHeight(), c.cellHeight);
        }
    }
    manager.UnloadGroup("");
}

TEST_F(MediaSet, SoundsDecodeShortAndBelowOneDecibelUnderFullScale)
{
    for (const Declared& d : ReadDeclared()) {
        if (d.kind != "Sound")
            continue;
        SCOPED_TRACE(d.id);
        std::string file = d.path;
        std::replace(file.begin(), file.end(), '\\', '/');
        Decoded sound = DecodeOgg(file + ".ogg");
        ASSERT_TRUE(sound.ok);
        ASSERT_EQ(sound.format.mBitsPerSample, 16);
        double seconds = double(sound.samples.size()) / sound.format.mChannels / sound.format.mSamplesPerSec;
        EXPECT_GT(seconds, 0.02);
        EXPECT_LT(seconds, 4.0);
        EXPECT_LT(Peak(sound.samples), kLoudest);
    }
}

TEST_F(MediaSet, MusicTracksLoopWithoutAClickAndLastAMinuteOrTwo)
{
    const char* const kTracks[] = {"mainmenu", "music1day", "music1night", "music2day", "music2night", "bonus"};
    for (const char* name : kTracks) {
        SCOPED_TRACE(name);
        Decoded track = DecodeOgg(std::string("music/") + name + ".ogg");
        ASSERT_TRUE(track.ok);
        ASSERT_EQ(track.format.mChannels, 2);
        const size_t frames = track.samples.size() / 2;
        double seconds = double(frames) / track.format.mSamplesPerSec;
        EXPECT_GE(seconds, 60.0);
        EXPECT_LE(seconds, 120.0);
        EXPECT_LT(Peak(track.samples), kLoudest);
        // The step from the last frame back to the first is no larger than the steps the music
        // itself takes nearby.
        int largestStep = 0;
        for (size_t i = 2; i < 2 * 2048; ++i)
            largestStep = std::max(largestStep, std::abs(track.samples[i] - track.samples[i - 2]));
        for (int ch = 0; ch < 2; ++ch)
            EXPECT_LE(std::abs(track.samples[size_t(ch)] - track.samples[2 * (frames - 1) + size_t(ch)]),
                      largestStep + 64);
    }
}

TEST(DataChecksum, KnownValues)
{
    const std::string abc = "abc";
    EXPECT_EQ(tilvan::Checksum(0, nullptr), 0u);
    EXPECT_EQ(tilvan::Checksum(abc.size(), reinterpret_cast<const unsigned char*>(abc.data())), 0xCA6598D0u);
}

TEST_F(MediaSet, PropertyFilesMatchTheirSignatures)
{
    std::map<std::string, std::string> recorded;
    std::istringstream in(Slurp("xml.sig"));
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "[crc]\r");
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        ASSERT_NE(eq, std::string::npos) << line;
        ASSERT_EQ(line.back(), '\r');
        recorded[line.substr(0, eq)] = line.substr(eq + 1, line.size() - eq - 2);
    }
    int checked = 0;
    for (const auto& entry : fs::directory_iterator("properties")) {
        std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || entry.path().extension() != ".xml")
            continue;
        SCOPED_TRACE(name);
        std::string bytes = Slurp(entry.path().string());
        ASSERT_EQ(recorded.count(name), 1u);
        EXPECT_EQ(recorded[name],
                  std::to_string(tilvan::Checksum(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data()))));
        ++checked;
    }
    EXPECT_GE(checked, 1);
}

} // namespace
