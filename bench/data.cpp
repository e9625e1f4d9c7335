// The data reader on a 10,000-row property file against TinyXML's own parse of it (the floor:
// our rows come on top of that parse), and saving and loading 10,000 objects against TinyXML
// building and printing, and parsing, the same document. memcpy of the same bytes is printed too.
#include <benchmark/benchmark.h>

#include "../tests/data/SaveFixtures.h"
#include "RunTimes.h"
#include <tinyxml.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "data/CXmlDataReader.h"
#include "data/DataCodecs.h"

namespace
{

constexpr int kRows = 10000;
constexpr int kObjects = 10000;

std::string Folder()
{
    // Memory-backed when it can be, so the save figures measure the code rather than the disk.
    static const std::string folder = [] {
        static const std::string stamp = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
        std::string base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path().string();
        return base + "/tamberlo-bench-data-" + stamp;
    }();
    return folder;
}

// Rows like the level map's and the constants': a few texts and numbers each.
const std::string& PropertyText()
{
    static const std::string text = [] {
        std::string t = "<?xml version=\"1.0\"?>\n<data>\n";
        for (int i = 0; i < kRows; ++i)
            t += "\t<row name=\"item " + std::to_string(i) + "\" value=\"" + std::to_string(i * 3) + "\" scale=\"" +
                 tilvan::FormatDataFloat(i * 0.25) + "\" pos=\"" + std::to_string(i % 1024) + ". " +
                 std::to_string(i % 768) + ". \" flag=\"" + std::to_string(i % 2) + "\"/>\n";
        return t + "</data>";
    }();
    return text;
}

const char* const kAttributes[] = {"name", "value", "scale", "pos", "flag"};

// Sum of what the rows hold, to check both sides read the same.
struct Totals {
    long long values = 0;
    double scales = 0;
    double positions = 0;
    int flags = 0;
    size_t names = 0;
    bool operator==(const Totals& o) const
    {
        return values == o.values && scales == o.scales && positions == o.positions && flags == o.flags &&
               names == o.names;
    }
};

Totals ReadOurs(const std::string& text)
{
    tilvan::CXmlDataReader reader;
    for (const char* a : kAttributes)
        reader.DeclareAttribute("row", a, "");
    reader.LoadFromMemory(text);
    Totals totals;
    for (int i = 0, n = reader.GetRowCount("row"); i < n; ++i) {
        std::string name;
        int value = 0;
        float scale = 0;
        tilvan::CFloatPair pos;
        bool flag = false;
        reader.GetRow("row", i, name, value, scale, pos, flag);
        totals.values += value;
        totals.scales += scale;
        totals.positions += pos.x + pos.y;
        totals.flags += flag;
        totals.names += name.size();
    }
    return totals;
}

// What one writes by hand on TinyXML: parse, walk the rows, read each attribute by name.
Totals ReadTinyXml(const std::string& text)
{
    TiXmlDocument document;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    Totals totals;
    const TiXmlElement* root = document.FirstChildElement("data");
    for (const TiXmlElement* row = root->FirstChildElement("row"); row; row = row->NextSiblingElement("row")) {
        const char* name = row->Attribute("name");
        totals.names += name ? std::strlen(name) : 0;
        totals.values += tilvan::ParseInt(row->Attribute("value"));
        totals.scales += tilvan::ParseFloat(row->Attribute("scale"));
        float x = 0, y = 0;
        tilvan::ParseFloatPair(row->Attribute("pos"), x, y);
        totals.positions += x + y;
        totals.flags += tilvan::ParseBool(row->Attribute("flag"));
    }
    return totals;
}

void ParseTinyXmlOnly(const std::string& text)
{
    TiXmlDocument document;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    benchmark::DoNotOptimize(document.FirstChildElement());
}

savefixtures::Root& Graph()
{
    static savefixtures::Root root = [] {
        savefixtures::RegisterSaveFixtures();
        return savefixtures::MakeGraph(kObjects);
    }();
    return root;
}

std::string SavePath()
{
    return Folder() + "/saves/game.xml";
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The same document built and printed with TinyXML, as one would save without our writer.
std::string PrintTinyXml(savefixtures::Root& root)
{
    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
    auto* data = new TiXmlElement("data");
    document.LinkEndChild(data);
    auto& state = static_cast<savefixtures::StateB&>(*root.state);
    for (auto& leaf : state.leaves) {
        auto* row = new TiXmlElement("t_leaf");
        row->SetAttribute("name", leaf->name.c_str());
        row->SetAttribute("count", leaf->count);
        row->SetAttribute("ratio", tilvan::FormatDataFloat(leaf->ratio).c_str());
        row->SetAttribute("flag", leaf->flag ? 1 : 0);
        row->SetAttribute("pos", tilvan::DataValueText(leaf->pos).c_str());
        row->SetAttribute("list", tilvan::IntListText(leaf->list).c_str());
        data->LinkEndChild(row);
    }
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.Str();
}

void CheckSameResults()
{
    if (!(ReadOurs(PropertyText()) == ReadTinyXml(PropertyText()))) {
        std::fprintf(stderr, "the readers disagree on the property file\n");
        std::exit(1);
    }
    savefixtures::Root back;
    std::string error;
    if (!tilvan::save::WriteSaveFile(SavePath(), Graph(), &error) ||
        tilvan::save::LoadSaveFile(SavePath(), back, &error) != tilvan::save::ESaveLoad::Loaded || !(back == Graph())) {
        std::fprintf(stderr, "the save does not read back: %s\n", error.c_str());
        std::exit(1);
    }
}

void Rows(benchmark::State& state, int rows)
{
    state.counters["rows/s"] = benchmark::Counter(rows, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_PropertiesOurs(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadOurs(PropertyText()));
    Rows(state, kRows);
}
BENCHMARK(BM_PropertiesOurs)->Unit(benchmark::kMillisecond);

void BM_PropertiesTinyXmlWalk(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadTinyXml(PropertyText()));
    Rows(state, kRows);
}
BENCHMARK(BM_PropertiesTinyXmlWalk)->Unit(benchmark::kMillisecond);

void BM_PropertiesTinyXmlParse(benchmark::State& state)
{
    for (auto _ : state)
        ParseTinyXmlOnly(PropertyText());
    Rows(state, kRows);
}
BENCHMARK(BM_PropertiesTinyXmlParse)->Unit(benchmark::kMillisecond);

void BM_PropertiesMemcpy(benchmark::State& state)
{
    const std::string& text = PropertyText();
    std::string copy(text.size(), '\0');
    for (auto _ : state) {
        std::memcpy(&copy[0], text.data(), text.size());
        benchmark::ClobberMemory();
    }
    Rows(state, kRows);
}
BENCHMARK(BM_PropertiesMemcpy)->Unit(benchmark::kMillisecond);

void BM_SaveWriteOurs(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(tilvan::save::WriteSaveFile(SavePath(), Graph()));
    Rows(state, kObjects);
}
BENCHMARK(BM_SaveWriteOurs)->Unit(benchmark::kMillisecond);

void BM_SavePrintTinyXml(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(PrintTinyXml(Graph()));
    Rows(state, kObjects);
}
BENCHMARK(BM_SavePrintTinyXml)->Unit(benchmark::kMillisecond);

void BM_SaveLoadOurs(benchmark::State& state)
{
    tilvan::save::WriteSaveFile(SavePath(), Graph());
    for (auto _ : state) {
        savefixtures::Root root;
        benchmark::DoNotOptimize(tilvan::save::LoadSaveFile(SavePath(), root));
    }
    Rows(state, kObjects);
}
BENCHMARK(BM_SaveLoadOurs)->Unit(benchmark::kMillisecond);

void BM_SaveParseTinyXml(benchmark::State& state)
{
    tilvan::save::WriteSaveFile(SavePath(), Graph());
    std::string plain = ReadBytes(SavePath());
    tilvan::XmlDataCrypt(plain);
    for (auto _ : state)
        ParseTinyXmlOnly(plain);
    Rows(state, kObjects);
}
BENCHMARK(BM_SaveParseTinyXml)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    CheckSameResults();
    benchsupport::Initialize(&argc, &argv);
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSpeedRatio("property file, 10,000 rows", "BM_PropertiesOurs", "BM_PropertiesTinyXmlWalk");
    reporter.PrintSpeedRatio("property file, 10,000 rows", "BM_PropertiesOurs", "BM_PropertiesTinyXmlParse");
    reporter.PrintSpeedRatio("save, 10,000 objects, written", "BM_SaveWriteOurs", "BM_SavePrintTinyXml");
    reporter.PrintSpeedRatio("save, 10,000 objects, read", "BM_SaveLoadOurs", "BM_SaveParseTinyXml");
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
