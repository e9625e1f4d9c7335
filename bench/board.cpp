// The board's hardest query, "does this piece fit anywhere", with the bit-column search against the
// plain cell-by-cell search; filling a board by repeated search and insertion; and drawing a full
// board of 200 pieces, against copying a frame of the same size.
#include <benchmark/benchmark.h>

#include "RunTimes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "board/BoardConfig.h"
#include "board/CGrid.h"
#include "core/Random.h"
#include "data/CXmlDataReader.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

using namespace tilvan;

namespace
{

const FPoint kOffset(112, 30);

// Plain pictures for every id the board asks for: a filled box with an alpha edge.
Olvarn::Image* Picture(const std::string& id)
{
    static std::map<std::string, std::unique_ptr<Olvarn::MemoryImage>> pictures;
    auto& slot = pictures[id];
    if (!slot) {
        int w = id.find("ELEMENT") != std::string::npos ? 100 : 40,
            h = id.find("ELEMENT") != std::string::npos ? 70 : 35;
        slot = std::make_unique<Olvarn::MemoryImage>();
        slot->Create(w, h);
        uint32_t* bits = slot->GetBits();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                bits[y * w + x] =
                    (x == 0 || y == 0 ? 0x80000000u : 0xFF000000u) | (std::hash<std::string>()(id) & 0xFFFFFF);
        slot->BitsChanged();
    }
    return slot.get();
}

void LoadTypes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    SetBoardImageLookup(&Picture);
    CXmlDataReader reader;
    DeclareElementConfig(reader);
    reader.LoadFile(TAMBERLO_SOURCE_DIR "/data/properties/config.xml");
    LoadElementConfig(reader);
}

std::array<bool, CGrid::kCells> FullBoard()
{
    std::array<bool, CGrid::kCells> a;
    a.fill(true);
    return a;
}

// Puts the piece on the first fit the search finds; false when there is none.
bool PlaceFirstFit(CGrid& grid, CElement& e)
{
    int rotation, c, r;
    if (!grid.FindFit(e, rotation, c, r))
        return false;
    e.SetRotation(rotation);
    FPoint centre = e.GetCenter();
    e.SetPosition(kOffset.x + c * 20 + centre.x, kOffset.y + r * 35 - 35 + centre.y);
    return grid.InsertElement(e);
}

// The search as the rules state it: every rotation, every up cell, every mask cell.
bool FitsAnywherePlain(const CGrid& grid, const CElement& e)
{
    for (int step = 1; step <= 6; ++step) {
        CElement t(e.GetId());
        t.SetRotation((e.GetRotation() + step) % 6);
        const CellMask& mask = t.GetShape();
        for (int c = 0; c < 40; ++c)
            for (int r = 0; r < 20; ++r)
                if ((c + r) % 2 == 0 && grid.Fits(mask, c, r))
                    return true;
    }
    return false;
}

// Boards at every stage of a fill with random pieces; the later ones are the hard cases (most
// pieces no longer fit, so the whole board is searched).
struct Stages {
    std::vector<std::unique_ptr<CGrid>> boards;
    std::vector<CElement> pieces;
};

const Stages& FillStages()
{
    static Stages stages = [] {
        LoadTypes();
        Stages s;
        Olvarn::Random rng(2024);
        CGrid grid;
        grid.Configure(kOffset, FullBoard());
        int misses = 0;
        while (misses < 40) {
            CElement e(rng.Next() % 15);
            if (!PlaceFirstFit(grid, e)) {
                ++misses;
                continue;
            }
            if (grid.GetElements().size() % 8 == 0 || misses > 0) {
                auto copy = std::make_unique<CGrid>();
                copy->Configure(kOffset, FullBoard());
                for (const auto& ge : grid.GetElements())
                    for (int dc = 0; dc < 5; ++dc)
                        for (int dr = 0; dr < 5; ++dr)
                            if (ge->element.GetShape()[dc * 5 + dr])
                                const_cast<CGridCell*>(copy->GetCell(ge->x + dc, ge->y + dr))->free = false;
                s.boards.push_back(std::move(copy));
            }
        }
        for (int t = 0; t < 15; ++t)
            s.pieces.emplace_back(t);
        return s;
    }();
    return stages;
}

void CheckSameResults()
{
    const Stages& s = FillStages();
    int yes = 0, no = 0;
    for (const auto& board : s.boards)
        for (auto piece : s.pieces) {
            bool plain = FitsAnywherePlain(*board, piece);
            if (board->CanPlaceAnywhere(piece) != plain) {
                std::fprintf(stderr, "the two searches disagree\n");
                std::abort();
            }
            (plain ? yes : no)++;
        }
    std::printf("search checked on %zu boards x %zu pieces: %d fit, %d do not\n", s.boards.size(), s.pieces.size(), yes,
                no);
}

template <bool kBits> void SearchAllStages(benchmark::State& state)
{
    const Stages& s = FillStages();
    std::vector<CElement> pieces = s.pieces;
    for (auto _ : state) {
        int found = 0;
        for (const auto& board : s.boards)
            for (auto& piece : pieces)
                found += kBits ? board->CanPlaceAnywhere(piece) : FitsAnywherePlain(*board, piece);
        benchmark::DoNotOptimize(found);
    }
    state.counters["queries"] = static_cast<double>(s.boards.size() * pieces.size());
}

void BM_FitsAnywhereBits(benchmark::State& state)
{
    SearchAllStages<true>(state);
}
void BM_FitsAnywherePlain(benchmark::State& state)
{
    SearchAllStages<false>(state);
}
BENCHMARK(BM_FitsAnywhereBits)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FitsAnywherePlain)->Unit(benchmark::kMicrosecond);

// A piece that fits nowhere on the fullest board: the whole board in all six rotations.
void BM_FitsAnywhereFullBoardMiss(benchmark::State& state)
{
    const Stages& s = FillStages();
    const CGrid& board = *s.boards.back();
    CElement piece(8); // the hexagon
    for (auto _ : state)
        benchmark::DoNotOptimize(board.CanPlaceAnywhere(piece));
}
BENCHMARK(BM_FitsAnywhereFullBoardMiss)->Unit(benchmark::kMicrosecond);

// A whole fill: draw a piece, ask whether it fits anywhere, insert it at the first fit.
void BM_FillBoard(benchmark::State& state)
{
    LoadTypes();
    int64_t queries = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CGrid grid;
        grid.Configure(kOffset, FullBoard());
        Olvarn::Random rng(7);
        state.ResumeTiming();
        for (int misses = 0; misses < 40;) {
            CElement e(rng.Next() % 15);
            ++queries;
            if (!grid.CanPlaceAnywhere(e) || !PlaceFirstFit(grid, e))
                ++misses;
        }
    }
    state.counters["queries_per_fill"] = static_cast<double>(queries) / state.iterations();
}
BENCHMARK(BM_FillBoard)->Unit(benchmark::kMillisecond);

// 200 pieces on the board (small ones so that they fit), drawn each frame with the background.
CGrid& DrawnBoard()
{
    static CGrid grid;
    static bool built = false;
    if (!built) {
        built = true;
        LoadTypes();
        grid.Configure(kOffset, FullBoard());
        Olvarn::Random rng(11);
        const int small[] = {14, 0, 1, 14, 0, 2};
        for (int tries = 0; grid.GetElements().size() < 200 && tries < 5000; ++tries) {
            CElement e(small[rng.Next() % 6]);
            PlaceFirstFit(grid, e);
        }
        for (int i = 0; i < 100; ++i)
            grid.Update(10); // pieces come to rest
        std::printf("board drawn with %zu pieces\n", grid.GetElements().size());
    }
    return grid;
}

void BM_DrawFullBoard(benchmark::State& state)
{
    CGrid& grid = DrawnBoard();
    Olvarn::MemoryImage frame;
    frame.Create(1024, 768);
    Olvarn::Graphics g(&frame);
    for (auto _ : state) {
        grid.Draw(g);
        benchmark::DoNotOptimize(frame.GetBits()[0]);
    }
}
BENCHMARK(BM_DrawFullBoard)->Unit(benchmark::kMillisecond);

// The parts of that frame: the cached board picture alone, and the pieces alone.
void BM_DrawBackgroundOnly(benchmark::State& state)
{
    CGrid& grid = DrawnBoard();
    Olvarn::MemoryImage frame;
    frame.Create(1024, 768);
    Olvarn::Graphics g(&frame);
    for (auto _ : state)
        grid.GetBackground().Draw(g);
}
BENCHMARK(BM_DrawBackgroundOnly)->Unit(benchmark::kMillisecond);

template <bool kCache> void DrawPieces(benchmark::State& state)
{
    CElement::SetTurnedPictureCache(kCache);
    CGrid& grid = DrawnBoard();
    Olvarn::MemoryImage frame;
    frame.Create(1024, 768);
    Olvarn::Graphics g(&frame);
    int rotated = 0;
    for (const auto& ge : grid.GetElements())
        rotated += ge->element.GetRotation() != 0;
    for (auto _ : state)
        for (const auto& ge : grid.GetElements())
            ge->element.Draw(g);
    state.counters["rotated"] = rotated;
    CElement::SetTurnedPictureCache(true);
}
// Pieces drawn from their turned copies, against turning every picture every frame (the board tests
// check both give the same pixels).
void BM_DrawPiecesCached(benchmark::State& state)
{
    DrawPieces<true>(state);
}
void BM_DrawPiecesTurnedEachFrame(benchmark::State& state)
{
    DrawPieces<false>(state);
}
BENCHMARK(BM_DrawPiecesCached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawPiecesTurnedEachFrame)->Unit(benchmark::kMillisecond);

void BM_FrameMemcpy(benchmark::State& state)
{
    std::vector<uint32_t> from(1024 * 768, 0x12345678), to(1024 * 768);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to[0]);
    }
}
BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMillisecond);

void BM_ConfigureBoard(benchmark::State& state)
{
    LoadTypes();
    CGrid grid;
    for (auto _ : state)
        grid.Configure(kOffset, FullBoard());
}
BENCHMARK(BM_ConfigureBoard)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    CheckSameResults();
    benchsupport::Initialize(&argc, &argv);
    benchsupport::RunTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSpeedRatio("fits anywhere, all fill stages", "BM_FitsAnywhereBits", "BM_FitsAnywherePlain");
    for (const char* name : {"BM_FitsAnywhereBits", "BM_FitsAnywherePlain"})
        if (const auto* t = reporter.Find(name))
            std::printf("%s: %.2f us per query\n", name, t->cpuSeconds * 1e6 / t->counters.at("queries"));
    reporter.PrintSpeedRatio("200 pieces", "BM_DrawPiecesCached", "BM_DrawPiecesTurnedEachFrame");
    reporter.PrintSpeedRatio("one frame of a full board", "BM_DrawFullBoard", "BM_FrameMemcpy");
    if (const auto* t = reporter.Find("BM_FitsAnywhereFullBoardMiss"))
        std::printf("full-board search that finds nothing: %.2f us per query\n", t->cpuSeconds * 1e6);
    if (const auto* t = reporter.Find("BM_DrawFullBoard"))
        std::printf("full board of pieces: %.3f ms per frame\n", t->cpuSeconds * 1e3);
    benchmark::Shutdown();
    return 0;
}
