// tamberlo-bot: plays campaign levels through the game's own input path (mouse and key messages into
// the application's queue) and prints one line per level; exit 0 only when every level was won.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "../GameRegistrations.h"
#include "BotInput.h"
#include "app/OlvarnAppBase.h"
#include "board/BonusKinds.h"
#include "board/CPlayerInfo.h"
#include "core/Random.h"
#include "data/CStringTable.h"
#include "graphics/Image.h"
#include "platform/AppMessage.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "play/CPlay.h"
#include "records/CBonusStatisticsWindow.h"
#include "records/CCreateProfileDialog.h"
#include "records/CRecordsWindow.h"
#include "records/CStatisticsWindow.h"
#include "screens/CGameScreen.h"
#include "screens/CInfoPanel.h"
#include "screens/CMainMenu.h"
#include "screens/CMapWindow.h"
#include "shell/CDialogBuilder.h"
#include "shell/CGameApp.h"
#include "shell/CGameButton.h"
#include "shell/CHelpWindow.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace
{

using namespace tilvan;

// Time that passes as fast as the program asks for it: every wait is over at once.
class FastClock : public Olvarn::Clock
{
public:
    // The application seeds its random generator from the tick count it starts at, so the start is
    // where the bot's seed goes.
    void Start(unsigned seed) { now = 1000 + static_cast<int>(seed % 1000000u); }
    int NowMs() override { return now += 1; }
    uint32_t TickCount() override { return static_cast<uint32_t>(now); }
    void SleepMs(int ms) override { now += ms; }

private:
    int now = 1000;
};

constexpr int kMaxTries = 3;

struct Options {
    int first = 1, last = 3;
    unsigned seed = 1;
    bool seeded = false, show = false, lose = false;
    // After a loss the level is tried again (up to kMaxTries times) instead of ending the run.
    bool retry = false;
    // Measure the frames of the level in play: every update drawn, the wall time between updates kept.
    bool bench = false;
    // A recording of the game the bot plays, for the program to replay (tamberlo -play -demofile=...).
    std::string record;
    // Updates after which the bot leaves, level won or not (0: never); keeps recordings short.
    int stopAfter = 0;
};

class Bot : public Olvarn::Widget
{
public:
    Bot(CGameApp& app, Options options) : app(app), opt(options) { Resize(0, 0, 1, 1); }

    void Update() override;

    bool allWon = true;
    int played = 0;
    // Levels played to their end: won, or lost with no try left.
    int LevelsFinished() const { return finished; }
    // Wall time of each update-to-update interval while a level is in play (bench runs only), and the
    // draws made meanwhile.
    std::vector<double> frameMs;
    // The process's CPU time of the same intervals, split by whether a frame was drawn in them: the
    // wall time of a shared machine counts other programs' work, and in full screen the present waits
    // for the refresh.
    std::vector<double> drawnCpuMs, updateCpuMs;
    int benchDraws = 0;
    double benchSeconds = 0;

private:
    void Post(Olvarn::AppMessageKind kind, int x, int y, int64_t buttons = 0)
    {
        bot::PostMouse(app, kind, x, y, buttons);
    }
    void Click(int x, int y, bool right = false)
    {
        Post(Olvarn::AppMessageKind::MouseMove, x, y);
        Post(right ? Olvarn::AppMessageKind::RButtonDown : Olvarn::AppMessageKind::LButtonDown, x, y, right ? 2 : 1);
        Post(right ? Olvarn::AppMessageKind::RButtonUp : Olvarn::AppMessageKind::LButtonUp, x, y);
    }
    void Key(int key)
    {
        Olvarn::AppMessage m;
        m.mKind = Olvarn::AppMessageKind::KeyDown;
        m.mParam1 = key;
        app.QueueMessage(m);
    }
    bool AnswerDialog();
    void PlayMove(CPlay& play);
    bool UseTools(CPlay& play);
    void ClickButton(int id);
    void Finish(CPlay& play, bool won);

    CGameApp& app;
    Options opt;
    int wait = 0;
    int updates = 0;
    int phase = 0; // 0 choose, 1 carrying: turning, 2 carrying: placing, 3 burning
    int targetRot = 0, targetC = 0, targetR = 0;
    bool reported = false;
    bool lostOnPurpose = false;
    bool quitting = false;
    // Given up on the level in play to try it again: the bot stops moving until the pipeline
    // overflows and the game offers another try.
    bool givingUp = false;
    // The level and try the random generator was last seeded for.
    int seededFor = -1;
    int levelStartUpdate = 0;
    // Losses of the level in play; levels won or given up.
    int tries = 0, finished = 0;
    // A board piece the octopus moves to mend small holes: where to lift it, and where it goes.
    struct Move {
        bool planned = false, lifted = false;
        int x = 0, y = 0, rot = 0, c = 0, r = 0;
    } move, smash;
    bool benchInPlay = false;
    std::chrono::steady_clock::time_point benchLast;
    std::clock_t benchLastCpu = 0;
    int benchLastDraws = 0;
};

// The records' windows close on their ok button, the statistics once their count-up has finished.
CGameButton* RecordsWindowOk(Olvarn::Widget* dialog)
{
    if (auto* stats = dynamic_cast<CStatisticsWindow*>(dialog))
        return stats->IsFinished() ? stats->OkButton() : nullptr;
    if (auto* bonus = dynamic_cast<CBonusStatisticsWindow*>(dialog))
        return bonus->IsFinished() ? bonus->OkButton() : nullptr;
    if (auto* records = dynamic_cast<CRecordsWindow*>(dialog))
        return records->OkButton();
    return nullptr;
}

bool Bot::AnswerDialog()
{
    for (auto& [id, dialog] : app.mDialogMap) {
        // The rules offered at a level's start: the bot knows them.
        if (dynamic_cast<CHelpWindow*>(dialog)) {
            Key(27);
            return true;
        }
        if (CGameButton* ok = RecordsWindowOk(dialog)) {
            int x = 0, y = 0;
            ok->ToRootCoords(ok->mWidth / 2, ok->mHeight / 2, x, y);
            Click(x, y);
            return true;
        }
        auto* box = dynamic_cast<CDialogBuilder*>(dialog);
        if (!box)
            continue;
        // Try again (right) after a loss; otherwise the first button there is.
        CGameButton* button = box->RightButton() && box->LeftButton() && (opt.lose || opt.retry) ? box->RightButton()
                              : box->LeftButton()                                                ? box->LeftButton()
                              : box->CenterButton()                                              ? box->CenterButton()
                                                                                                 : box->RightButton();
        if (!button)
            continue;
        int x = 0, y = 0;
        button->ToRootCoords(button->mWidth / 2, button->mHeight / 2, x, y);
        Click(x, y);
        return true;
    }
    return false;
}

bool Open(const CGrid& grid, int c, int r);

void Bot::Finish(CPlay& play, bool won)
{
    const CPlayerInfo& player = CPlayerInfo::Instance();
    int n = play.Level().get_number();
    int frames = updates - levelStartUpdate;
    std::printf("level %d: %s, score %d, %.1f s game time, %d updates\n", n, won ? "won" : "lost", player.score,
                frames * 0.01, frames);
    std::fflush(stdout);
    ++played;
    // A bonus level is not played again: the game goes on to the next level whatever its end.
    if (won || play.Level().is_bonus()) {
        ++finished;
        tries = 0;
    }
    if (!won && !play.Level().is_bonus())
        ++tries;
    if (!won) {
        // Why, for whoever tunes the levels or the bot.
        CLevel& level = play.Level();
        std::fprintf(stderr, "level %d: lost: %s, board %.0f%% full, %zu pieces waiting, fire %d, tools %d/%d/%d/%d\n",
                     n,
                     level.Pipeline().is_full                       ? "the pipeline overflowed"
                     : level.is_bonus() && level.GetTimeLeft() <= 0 ? "the time ran out"
                                                                    : "the bot gave up",
                     level.Grid().GetCompletion() * 100, level.Pipeline().GetElements().size(), player.fire_level,
                     player.GetBonusCount(kSlotPufferfish), player.GetBonusCount(kSlotSnail),
                     player.GetBonusCount(kSlotHammerfish), player.GetBonusCount(kSlotOctopus));
        if (std::getenv("BOT_TRACE")) {
            std::fprintf(stderr, "  free cells:");
            for (int c = 0; c < CGrid::kColumns; ++c)
                for (int r = 0; r < CGrid::kRows; ++r)
                    if (Open(level.Grid(), c, r))
                        std::fprintf(stderr, " %d,%d", c, r);
            std::fprintf(stderr, "\n  waiting:");
            for (const auto& pe : level.Pipeline().GetElements())
                std::fprintf(stderr, " %d", pe->element.GetId());
            std::fprintf(stderr, "\n");
        }

        // A loss the bot did not seek ends the run, unless the level is to be tried again; a level won
        // on a later try counts as won.
        bool retried = !opt.lose && !play.Level().is_bonus() && opt.retry && tries < kMaxTries;
        if (!retried)
            allWon = false;
        if (!opt.lose && !play.Level().is_bonus() && !retried) {
            ++finished;
            quitting = true;
            app.Quit();
        }
    }
}

// The neighbours of a triangular cell: left, right, and the one across its flat edge.
int Neighbours(int c, int r, int out[3][2])
{
    bool up = (c + r) % 2 == 0;
    out[0][0] = c - 1, out[0][1] = r;
    out[1][0] = c + 1, out[1][1] = r;
    out[2][0] = c, out[2][1] = up ? r + 1 : r - 1;
    return 3;
}

bool Open(const CGrid& grid, int c, int r)
{
    const CGridCell* cell = grid.GetCell(c, r);
    return cell && cell->enabled && cell->free;
}

// Free cells that no neighbour can share a piece with: only a one-cell piece or the pufferfish fills
// them.
bool Isolated(const CGrid& grid, int c, int r)
{
    if (!Open(grid, c, r))
        return false;
    int n[3][2];
    Neighbours(c, r, n);
    for (auto& d : n)
        if (Open(grid, d[0], d[1]))
            return false;
    return true;
}

// How good it is to put the shape with its origin on (c, r): edges against walls and pieces count,
// pockets of one or two cells that are left behind cost much, lower rows and the left come first.
int PlacementScore(CGrid& grid, const CellMask& mask, int c, int r)
{
    auto inMask = [&](int cc, int rr) {
        int dc = cc - c, dr = rr - r;
        return dc >= 0 && dc < 5 && dr >= 0 && dr < 5 && mask[static_cast<size_t>(dc * 5 + dr)];
    };
    auto open = [&](int cc, int rr) { return !inMask(cc, rr) && Open(grid, cc, rr); };
    int touch = 0, pockets = 0;
    for (int dc = 0; dc < 5; ++dc)
        for (int dr = 0; dr < 5; ++dr) {
            if (!mask[static_cast<size_t>(dc * 5 + dr)])
                continue;
            int n[3][2];
            Neighbours(c + dc, r + dr, n);
            for (auto& d : n) {
                if (inMask(d[0], d[1]))
                    continue;
                if (!open(d[0], d[1])) {
                    ++touch;
                    continue;
                }
                // An open neighbour that is left with no open neighbour, or with one that has no
                // other: a pocket.
                int m[3][2];
                Neighbours(d[0], d[1], m);
                int free = 0, fc = 0, fr = 0;
                for (auto& e : m)
                    if (open(e[0], e[1]))
                        ++free, fc = e[0], fr = e[1];
                if (free == 0) {
                    pockets += 8;
                } else if (free == 1) {
                    int k[3][2];
                    Neighbours(fc, fr, k);
                    int more = 0;
                    for (auto& e : k)
                        if (open(e[0], e[1]) && !(e[0] == d[0] && e[1] == d[1]))
                            ++more;
                    if (more == 0)
                        pockets += 2;
                }
            }
        }
    return touch * 100 - pockets * 180 + r * 6 - c;
}

// The best place for the piece in any of its turns; false when it fits nowhere.
bool BestFit(CGrid& grid, const CElement& e, int& rot, int& col, int& row, int* scoreOut = nullptr)
{
    int best = -1000000;
    bool found = false;
    const auto& shapes = e.GetShapes();
    for (int k = 0; k < e.GetPositions(); ++k) {
        const CellMask& mask = shapes[static_cast<size_t>(k)];
        const float centreX = e.GetCenters()[static_cast<size_t>(k)].x;
        // The carried piece stops short of the info panel: an anchor further right cannot be reached.
        const float rightmost = CCursor::AnchorLimit(e, k);
        for (int c = -4; c < CGrid::kColumns; ++c)
            for (int r = -4; r < CGrid::kRows; ++r) {
                // A shape's origin snaps only onto cells of even column + row.
                if (((c + r) % 2 + 2) % 2 != 0 || !grid.Fits(mask, c, r))
                    continue;
                if (grid.GetOffset().x + c * 20 + centreX > rightmost)
                    continue;
                int score = PlacementScore(grid, mask, c, r);
                if (!found || score > best) {
                    best = score;
                    found = true;
                    rot = k, col = c, row = r;
                }
            }
    }
    if (scoreOut)
        *scoreOut = best;
    return found;
}

// A free cell for the pufferfish: an isolated one first, else, late in the level, any.
// What the board's small holes cost: each free region of one to three cells, the smaller the dearer.
int HolesCost(const CGrid& grid)
{
    std::vector<char> seen(CGrid::kCells, 0);
    int cost = 0;
    for (int c = 0; c < CGrid::kColumns; ++c)
        for (int r = 0; r < CGrid::kRows; ++r) {
            if (seen[static_cast<size_t>(c * CGrid::kRows + r)] || !Open(grid, c, r))
                continue;
            int size = 0;
            std::vector<std::pair<int, int>> todo{{c, r}};
            seen[static_cast<size_t>(c * CGrid::kRows + r)] = 1;
            while (!todo.empty() && size < 4) {
                auto [cc, rr] = todo.back();
                todo.pop_back();
                ++size;
                int n[3][2];
                Neighbours(cc, rr, n);
                for (auto& d : n)
                    if (Open(grid, d[0], d[1]) && !seen[static_cast<size_t>(d[0] * CGrid::kRows + d[1])]) {
                        seen[static_cast<size_t>(d[0] * CGrid::kRows + d[1])] = 1;
                        todo.emplace_back(d[0], d[1]);
                    }
            }
            cost += size == 1 ? 10 : size == 2 ? 4 : size == 3 ? 2 : 0;
        }
    return cost;
}

void MarkCells(CGrid& grid, const CellMask& mask, int c, int r, bool free)
{
    for (int dc = 0; dc < 5; ++dc)
        for (int dr = 0; dr < 5; ++dr)
            if (mask[static_cast<size_t>(dc * 5 + dr)])
                if (CGridCell* cell = grid.GetCell(c + dc, r + dr))
                    cell->free = free;
}

// A board piece whose move elsewhere leaves the board's small holes cheaper: the octopus lifts it.
// The board is left as it was.
bool PlanOctopusMove(CGrid& grid, int& x, int& y, int& rot, int& col, int& row)
{
    const int before = HolesCost(grid);
    if (before == 0)
        return false;
    int best = before;
    bool found = false;
    for (const auto& ge : grid.GetElements()) {
        const CElement& e = ge->element;
        if (!e.GetType() || e.IsMoving())
            continue;
        const CellMask& own = e.GetShape();
        MarkCells(grid, own, ge->x, ge->y, true);
        const int turn = e.GetPositionIndex();
        for (int k = 0; k < e.GetPositions(); ++k) {
            const CellMask& mask = e.GetShapes()[static_cast<size_t>(k)];
            const float rightmost = CCursor::AnchorLimit(e, k);
            for (int c = -4; c < CGrid::kColumns; ++c)
                for (int r = -4; r < CGrid::kRows; ++r) {
                    if (((c + r) % 2 + 2) % 2 != 0 || (k == turn && c == ge->x && r == ge->y) || !grid.Fits(mask, c, r))
                        continue;
                    if (grid.GetOffset().x + c * 20 + e.GetCenters()[static_cast<size_t>(k)].x > rightmost)
                        continue;
                    MarkCells(grid, mask, c, r, false);
                    const int after = HolesCost(grid);
                    MarkCells(grid, mask, c, r, true);
                    if (after < best) {
                        best = after, found = true;
                        rot = k, col = c, row = r;
                        for (int i = 0; i < 25; ++i)
                            if (own[static_cast<size_t>(i)]) {
                                const CGridCell* cell = grid.GetCell(ge->x + i / 5, ge->y + i % 5);
                                x = static_cast<int>(cell->center.x), y = static_cast<int>(cell->center.y);
                                break;
                            }
                    }
                }
        }
        MarkCells(grid, own, ge->x, ge->y, false);
    }
    return found;
}

// A point on the smallest board piece that borders an isolated free cell; false when none does.
bool BreakBesideHole(CGrid& grid, int& x, int& y)
{
    size_t smallest = 0;
    for (const auto& ge : grid.GetElements()) {
        const CElement& e = ge->element;
        if (!e.GetType() || e.IsMoving())
            continue;
        const CellMask& mask = e.GetShape();
        size_t cells = 0;
        bool beside = false;
        const CGridCell* some = nullptr;
        for (int i = 0; i < 25; ++i) {
            if (!mask[static_cast<size_t>(i)])
                continue;
            ++cells;
            const int c = ge->x + i / 5, r = ge->y + i % 5;
            some = grid.GetCell(c, r);
            int n[3][2];
            Neighbours(c, r, n);
            for (auto& d : n)
                beside = beside || Isolated(grid, d[0], d[1]);
        }
        if (beside && some && (smallest == 0 || cells < smallest)) {
            smallest = cells;
            x = static_cast<int>(some->center.x), y = static_cast<int>(some->center.y);
        }
    }
    return smallest > 0;
}

bool PufferfishCell(CGrid& grid, bool anyCell, int& x, int& y)
{
    const CGridCell* fallback = nullptr;
    for (int c = 0; c < CGrid::kColumns; ++c)
        for (int r = 0; r < CGrid::kRows; ++r) {
            const CGridCell* cell = grid.GetCell(c, r);
            if (!cell || !cell->enabled || !cell->free)
                continue;
            if (Isolated(grid, c, r)) {
                x = static_cast<int>(cell->center.x), y = static_cast<int>(cell->center.y);
                return true;
            }
            if (!fallback)
                fallback = cell;
        }
    if (anyCell && fallback) {
        x = static_cast<int>(fallback->center.x), y = static_cast<int>(fallback->center.y);
        return true;
    }
    return false;
}

void Bot::ClickButton(int id)
{
    int x = 0, y = 0, w = 0, h = 0;
    if (CInfoPanel::ButtonRect(id, x, y, w, h))
        Click(x + w / 2, y + h / 2);
}

bool Bot::UseTools(CPlay& play)
{
    CLevel& level = play.Level();
    CCursor& cursor = play.Cursor();
    CPipeline& pipeline = level.Pipeline();
    CGrid& grid = level.Grid();
    CPlayerInfo& player = CPlayerInfo::Instance();
    const int state = cursor.GetState();
    // A tool in hand: use it or put it away.
    if (state == CCursor::pufferfish) {
        int x = 0, y = 0;
        if (player.GetBonusCount(kSlotPufferfish) > 0 && PufferfishCell(grid, grid.GetCompletion() > 0.9f, x, y))
            Click(x, y);
        else
            ClickButton(CInfoPanel::ToolButtonId(kSlotPufferfish));
        wait = 3;
        return true;
    }
    if (state == CCursor::hammerfish) {
        if (smash.planned && player.GetBonusCount(kSlotHammerfish) > 0) {
            smash.planned = false;
            Click(smash.x, smash.y);
        } else if (player.GetBonusCount(kSlotHammerfish) > 0 && !pipeline.GetElements().empty() &&
                   pipeline.is_nearly_full) {
            FPoint p = pipeline.GetElements().front()->element.GetPosition();
            Click(static_cast<int>(p.x), static_cast<int>(p.y));
        } else {
            ClickButton(CInfoPanel::ToolButtonId(kSlotHammerfish));
        }
        wait = 3;
        return true;
    }
    if (state == CCursor::octopus) {
        if (move.planned && player.GetBonusCount(kSlotOctopus) > 0) {
            Click(move.x, move.y);
            move.planned = false;
            move.lifted = true;
        } else {
            ClickButton(CInfoPanel::ToolButtonId(kSlotOctopus));
        }
        wait = 3;
        return true;
    }
    if (state != CCursor::free || level.is_bonus())
        return false;
    // A bigger fire burns sooner again: pearls go to the wood first.
    int next = player.fire_level + 1;
    if (player.fire_level < 3 && player.points >= get_fire_upgrade_cost(next)) {
        Olvarn::Rect wood = level.Fire().WoodRect();
        Click(wood.mX + wood.mWidth / 2, wood.mY + wood.mHeight / 2);
        wait = 3;
        return true;
    }
    // The snail when the pipeline runs full.
    if (player.GetBonusCount(kSlotSnail) > 0 && play.GetPause() <= 0 && pipeline.get_full_percents() > 0.7f) {
        ClickButton(CInfoPanel::ToolButtonId(kSlotSnail));
        wait = 3;
        return true;
    }
    int x = 0, y = 0;
    // Late, with small holes no tool fills and pieces piling up, the octopus moves a board piece.
    if (player.GetBonusCount(kSlotOctopus) > 0 && player.GetBonusCount(kSlotPufferfish) == 0 &&
        grid.GetCompletion() > 0.95f && PlanOctopusMove(grid, move.x, move.y, move.rot, move.c, move.r)) {
        move.planned = true;
        if (std::getenv("BOT_TRACE"))
            std::fprintf(stderr, "  octopus: lift at %d %d, down at %d %d turn %d\n", move.x, move.y, move.c, move.r,
                         move.rot);
        ClickButton(CInfoPanel::ToolButtonId(kSlotOctopus));
        wait = 3;
        return true;
    }
    if (player.GetBonusCount(kSlotPufferfish) > 0 && PufferfishCell(grid, grid.GetCompletion() > 0.9f, x, y)) {
        ClickButton(CInfoPanel::ToolButtonId(kSlotPufferfish));
        wait = 3;
        return true;
    }
    if (player.GetBonusCount(kSlotHammerfish) > 0 && pipeline.is_nearly_full) {
        ClickButton(CInfoPanel::ToolButtonId(kSlotHammerfish));
        wait = 3;
        return true;
    }
    // Nothing else mends a lone hole: the smallest board piece beside it is broken, and the hole
    // with that piece's cells is a place more pieces fit.
    if (player.GetBonusCount(kSlotHammerfish) > 0 && player.GetBonusCount(kSlotPufferfish) == 0 &&
        grid.GetCompletion() > 0.97f && BreakBesideHole(grid, smash.x, smash.y)) {
        smash.planned = true;
        ClickButton(CInfoPanel::ToolButtonId(kSlotHammerfish));
        wait = 3;
        return true;
    }
    return false;
}

void Bot::PlayMove(CPlay& play)
{
    CLevel& level = play.Level();
    CCursor& cursor = play.Cursor();
    CPipeline& pipeline = level.Pipeline();
    CGrid& grid = level.Grid();
    if (phase == 0 && cursor.IsCarrying()) {
        // A piece in hand: where it goes, or the fire.
        if (move.lifted && cursor.GetState() == CCursor::octopus_element) {
            targetRot = move.rot, targetC = move.c, targetR = move.r;
            move.lifted = false;
            phase = 1;
            return;
        }
        move.lifted = false;
        phase = BestFit(grid, cursor.Element(), targetRot, targetC, targetR) ? 1 : 3;
        return;
    }
    if (phase == 0) {
        if (UseTools(play))
            return;
        if (cursor.GetState() != CCursor::free)
            return;
        // The piece with the best place among those floating (and the bonus level's row on screen).
        CElement* chosen = nullptr;
        int bestScore = 0;
        auto consider = [&](CElement& e) {
            if (!e.GetType())
                return;
            FPoint p = e.GetPosition();
            if (p.x < 12 || p.x > 860)
                return;
            int rot = 0, c = 0, r = 0, score = 0;
            if (BestFit(grid, e, rot, c, r, &score) && (!chosen || score > bestScore)) {
                chosen = &e;
                bestScore = score;
            }
        };
        // Pieces that fit nowhere now never will: the board only fills. The oldest of them feeds the fire.
        CElement* unfit = nullptr;
        for (const auto& pe : pipeline.GetElements()) {
            if (!pe->in_water || pe->element.IsMoving())
                continue;
            CElement* before = chosen;
            int rot = 0, c = 0, r = 0;
            consider(pe->element);
            if (chosen == before && !unfit && pe->element.GetType() && !BestFit(grid, pe->element, rot, c, r))
                unfit = &pe->element;
        }
        for (CElement& e : pipeline.GetBonusElements())
            consider(e);
        phase = 1;
        const bool fireReady = !level.is_bonus() && level.Fire().DelayTimeLeft() <= 0;
        if (unfit && fireReady && (!chosen || pipeline.get_full_percents() > 0.4f)) {
            chosen = unfit;
            phase = 3;
        }
        if (!chosen) {
            phase = 0;
            return;
        }
        FPoint p = chosen->GetPosition();
        Click(static_cast<int>(p.x), static_cast<int>(p.y));
        phase = 0;
        wait = 2;
        return;
    }
    if (!cursor.IsCarrying()) {
        phase = 0;
        return;
    }
    CElement& carried = cursor.Element();
    if (phase == 3) {
        Olvarn::Rect fire = level.Fire().GetRect();
        if (level.Fire().DelayTimeLeft() > 0)
            return;
        Click(fire.mX + fire.mWidth / 2, fire.mY + fire.mHeight / 2);
        phase = 0;
        wait = 2;
        return;
    }
    if (phase == 1) {
        if (carried.IsRotating())
            return;
        if (carried.GetPositionIndex() != targetRot) {
            int x = static_cast<int>(cursor.pos.x), y = static_cast<int>(cursor.pos.y);
            Click(x, y, true);
            wait = 1;
            return;
        }
        phase = 2;
    }
    // The anchor that snaps the shape's origin onto the target cell.
    FPoint centre = carried.GetCenter();
    FPoint off = grid.GetOffset();
    int x = static_cast<int>(off.x + targetC * 20 + centre.x + 0.5f);
    int y = static_cast<int>(off.y + targetR * 35 + centre.y - 35 + 0.5f);
    // The carried piece follows the mouse at the next update; the drop goes where it is then.
    if (phase == 2) {
        Post(Olvarn::AppMessageKind::MouseMove, x, y);
        phase = 4;
        wait = 2;
        return;
    }
    if (std::getenv("BOT_TRACE"))
        std::fprintf(stderr, "  update %d: drop at %d %d, piece at %.1f %.1f, mouse %.1f %.1f rot %d\n", updates, x, y,
                     carried.GetPosition().x, carried.GetPosition().y, cursor.pos.x, cursor.pos.y,
                     carried.GetRotation());
    Click(x, y);
    phase = 0;
    wait = 2;
}

void Bot::Update()
{
    ++updates;
    if (opt.bench) {
        auto now = std::chrono::steady_clock::now();
        const std::clock_t cpu = std::clock();
        auto* current = dynamic_cast<CGameScreen*>(app.ScreenHolder().Current());
        auto* playing = current ? dynamic_cast<CPlay*>(current->State()) : nullptr;
        const bool inPlay = playing && (playing->Level().get_state() == CLevel::normal ||
                                        playing->Level().get_state() == CLevel::danger);
        if (inPlay && benchInPlay) {
            double ms = std::chrono::duration<double, std::milli>(now - benchLast).count();
            frameMs.push_back(ms);
            benchSeconds += ms / 1000;
            benchDraws += app.mDrawCount - benchLastDraws;
            const double cpuMs = 1000.0 * double(cpu - benchLastCpu) / CLOCKS_PER_SEC;
            (app.mDrawCount != benchLastDraws ? drawnCpuMs : updateCpuMs).push_back(cpuMs);
            // Which updates were slow, to line them up with what the level showed then.
            if (std::getenv("BENCH_SLOW") && cpuMs > 2.5)
                std::fprintf(stderr, "slow: update %d, %.3f ms, from %.6f to %.6f s\n", updates, cpuMs,
                             std::chrono::duration<double>(benchLast.time_since_epoch()).count(),
                             std::chrono::duration<double>(now.time_since_epoch()).count());
        }
        benchInPlay = inPlay;
        benchLast = now;
        benchLastCpu = cpu;
        benchLastDraws = app.mDrawCount;
    }
    // The bot's messages are the user's input: the game never counts as left alone.
    app.mLastUserInputTick = app.GetClock().NowMs();
    if (quitting)
        return;
    if (opt.stopAfter > 0 && updates == opt.stopAfter) {
        // Closed as a player closes it, so that a recording ends the same way when it is replayed.
        Olvarn::AppMessage m;
        m.mKind = Olvarn::AppMessageKind::Close;
        app.QueueMessage(m);
    }
    if (opt.stopAfter > 0 && updates > opt.stopAfter + 500) {
        quitting = true;
        app.Quit();
        return;
    }
    auto* screen = dynamic_cast<CGameScreen*>(app.ScreenHolder().Current());
    // Loading runs on its own thread in real time: updates spun meanwhile only make recordings long.
    if (!opt.show && (!screen || !screen->IsLoaded()))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (std::getenv("BOT_TRACE") && updates % 500 == 0)
        std::fprintf(stderr, "bot: update %d screen %p state %p loaded %d dialogs %zu\n", updates,
                     static_cast<void*>(screen), screen ? static_cast<void*>(screen->State()) : nullptr,
                     screen ? screen->IsLoaded() : -1, app.mDialogMap.size());
    if (std::getenv("BOT_TRACE") && updates % 500 == 0 && screen)
        if (auto* p = dynamic_cast<CPlay*>(screen->State()))
            std::fprintf(stderr, "  level %d state %d pieces %zu grid %.2f cursor %d busy %d phase %d\n",
                         p->Level().get_number(), p->Level().get_state(), p->Level().Pipeline().GetElements().size(),
                         p->Level().Grid().GetCompletion(), p->Cursor().GetState(), p->IsBusy(), phase);
    if (std::getenv("BOT_TRACE") && updates % 50 == 0 && screen)
        if (auto* p = dynamic_cast<CPlay*>(screen->State())) {
            std::fprintf(stderr, "  row %d:", updates);
            for (const CElement& e : p->Level().Pipeline().GetBonusElements())
                std::fprintf(stderr, " %.0f(%d/%d)", e.GetPosition().x,
                             e.GetImage() ? e.GetImage()->GetCellWidth() : -1,
                             e.GetImage() ? e.GetImage()->GetWidth() : -1);
            std::fprintf(stderr, "\n");
        }
    if (std::getenv("BOT_TRACE") && updates % 500 == 0 && screen)
        std::fprintf(stderr, "  paused %d time %.0f rot %d target %d %d %d\n", screen->PauseCount(),
                     CPlayerInfo::Instance().statistic.time, 0, targetRot, targetC, targetR);
    if (screen && !reported)
        if (auto* p = dynamic_cast<CPlay*>(screen->State())) {
            int st = p->Level().get_state();
            if (st == CLevel::win || st == CLevel::lose) {
                reported = true;
                Finish(*p, st == CLevel::win);
                if (opt.lose && st == CLevel::lose)
                    lostOnPurpose = true;
            }
        }
    if (wait > 0) {
        --wait;
        return;
    }
    // Nothing new until the last messages have reached the game.
    if (!app.mMessageQueue.empty())
        return;
    if (AnswerDialog()) {
        wait = 5;
        return;
    }
    // A first start asks for the player's name: the proposed one is taken.
    if (auto* named = dynamic_cast<CCreateProfileDialog*>(app.FindDialog(CCreateProfileDialog::kDialogId));
        named && named->OkButton()) {
        Olvarn::Widget* ok = named->OkButton();
        int x = 0, y = 0;
        ok->ToRootCoords(ok->mWidth / 2, ok->mHeight / 2, x, y);
        Click(x, y);
        wait = 10;
        return;
    }
    // The main menu comes first and after every game: Enter plays. After the campaign's last level the
    // game goes back to it too, and starting again would play levels nobody asked for.
    if (dynamic_cast<CMainMenu*>(app.ScreenHolder().Current()) && app.mDialogMap.empty()) {
        if (finished >= opt.last - opt.first + 1) {
            quitting = true;
            app.Quit();
            return;
        }
        Key(13);
        wait = 10;
        return;
    }
    if (!screen || !screen->State()) {
        levelStartUpdate = updates;
        return;
    }
    if (dynamic_cast<CMapWindow*>(screen->State())) {
        levelStartUpdate = updates;
        CPlayerInfo& player = CPlayerInfo::Instance();
        if (played == 0 && player.level != opt.first - 1)
            player.level = opt.first - 1;
        if (played > 0 && player.level + 1 > opt.last) {
            quitting = true;
            app.Quit();
            return;
        }
        if (!screen->IsLoaded())
            return;
        // The map's play button, found by its caption.
        for (Olvarn::Widget* w : app.mWidgetManager->mChildren) {
            auto* button = dynamic_cast<CGameButton*>(w);
            if (button && button->mLabel == GetStringTable().GetString(355)) {
                Click(button->mX + button->mWidth / 2, button->mY + button->mHeight / 2);
                break;
            }
        }
        wait = 10;
        return;
    }
    auto* play = dynamic_cast<CPlay*>(screen->State());
    if (!play)
        return;
    CLevel& level = play->Level();
    int state = level.get_state();
    if (state == CLevel::before_start) {
        levelStartUpdate = updates;
        reported = false;
        // How many updates went by before the level (the loader's pace, the menu) varies from run
        // to run, and with it the random draws already made; each level and try starts from a
        // generator of its own, so one seed plays one game. Not while recording: a replay of the
        // program alone would not reseed, and the recorded clicks would land in another game.
        const int key = level.get_number() * kMaxTries * 2 + tries;
        if (seededFor != key && opt.record.empty()) {
            seededFor = key;
            Olvarn::SeedRand(opt.seed * 7919u + static_cast<unsigned>(key));
        }
        return;
    }
    if ((state == CLevel::win || state == CLevel::lose) && !reported) {
        reported = true;
        Finish(*play, state == CLevel::win);
        if (opt.lose && state == CLevel::lose)
            lostOnPurpose = true;
        return;
    }
    if (state != CLevel::normal && state != CLevel::danger) {
        return;
    }
    if (reported) {
        // A new start of the same level (after trying again).
        reported = false;
        givingUp = false;
        phase = 0;
        move = smash = Move{};
        levelStartUpdate = updates;
        if (lostOnPurpose) {
            quitting = true;
            app.Quit();
            return;
        }
    }
    // Ten minutes of game time without an end: the level is not won. With tries left, the bot lets
    // the level be lost so the game offers it again; a give-up that ended the run would never retry.
    if (updates - levelStartUpdate > 60000 && !givingUp) {
        if (!opt.retry || play->Level().is_bonus() || tries + 1 >= kMaxTries) {
            Finish(*play, false);
            quitting = true;
            app.Quit();
            return;
        }
        std::fprintf(stderr, "level %d: the bot gives up and lets the level be lost, to try it again\n",
                     level.get_number());
        givingUp = true;
    }
    if (givingUp)
        return;
    if (!opt.lose)
        PlayMove(*play);
}

bool ParseRange(const char* text, int& first, int& last)
{
    char* end = nullptr;
    first = static_cast<int>(std::strtol(text, &end, 10));
    last = first;
    if (end && *end == '-')
        last = static_cast<int>(std::strtol(end + 1, &end, 10));
    return first >= 1 && last >= first && end && *end == '\0';
}

} // namespace

int main(int argc, char** argv)
{
    Options opt;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--levels" && i + 1 < argc) {
            if (!ParseRange(argv[++i], opt.first, opt.last)) {
                std::fprintf(stderr, "tamberlo-bot: --levels takes N or N-M\n");
                return 2;
            }
        } else if (a == "--seed" && i + 1 < argc) {
            opt.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
            opt.seeded = true;
        } else if (a == "--show") {
            opt.show = true;
        } else if (a == "--record" && i + 1 < argc) {
            opt.record = argv[++i];
        } else if (a == "--stop-after" && i + 1 < argc) {
            opt.stopAfter = std::atoi(argv[++i]);
        } else if (a == "--bench") {
            opt.bench = true;
        } else if (a == "--retry") {
            opt.retry = true;
        } else if (a == "--lose") {
            opt.lose = true;
        } else {
            std::fprintf(
                stderr,
                "usage: tamberlo-bot [--levels N-M] [--seed N] [--show] [--lose] [--retry] [--bench] [--record FILE] "
                "[--stop-after UPDATES]\n");
            return 2;
        }
    }
    // The application reads its switches from the process arguments: only a recording passes any.
    std::string demoSwitch = "-demofile=" + opt.record;
    char recordSwitch[] = "-record";
    std::vector<char*> appArgs{argv[0]};
    if (!opt.record.empty()) {
        appArgs.push_back(recordSwitch);
        appArgs.push_back(demoSwitch.data());
    }
    Olvarn::Process::SetArguments(static_cast<int>(appArgs.size()), appArgs.data());
    tilvan::RegisterGameFolders();
    std::string path = Olvarn::Paths::ExecutablePath();
    size_t cut = path.find_last_of('/');
    if (cut != std::string::npos)
        Olvarn::Paths::ChangeDirectory(path.substr(0, cut));
    Olvarn::SeedRand(opt.seed);

    tilvan::CGameApp& app = tilvan::CGameApp::Instance();
    static FastClock fast;
    fast.Start(opt.seed);
    if (!opt.show)
        app.SetClock(&fast);
    // Bots may run beside a game and beside each other.
    app.mOnlyAllowOneCopyToRun = false;
    app.InitApp();
    // Headless, many updates go to each drawn frame: a frame's present may wait for the display.
    if (!opt.show && !opt.bench)
        app.mUpdateMultiplier = 20;
    Bot bot(app, opt);
    if (app.mWidgetManager)
        app.mWidgetManager->AddWidget(&bot);
    app.RunApp();
    if (app.mWidgetManager)
        app.mWidgetManager->RemoveWidget(&bot);
    app.RemoveScreen();
    if (opt.bench && !bot.frameMs.empty()) {
        std::vector<double> sorted = bot.frameMs;
        std::sort(sorted.begin(), sorted.end());
        std::printf("bench: %zu updates, %d draws in %.3f s of play: %.0f updates/s, %.0f frames/s, median frame "
                    "%.3f ms, 99th percentile %.3f ms, slowest %.3f ms\n",
                    sorted.size(), bot.benchDraws, bot.benchSeconds, sorted.size() / bot.benchSeconds,
                    bot.benchDraws / bot.benchSeconds, sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100],
                    sorted.back());
        auto figures = [](std::vector<double> v, const char* what) {
            std::sort(v.begin(), v.end());
            if (v.empty())
                std::printf("bench cpu: %s: none\n", what);
            else
                std::printf("bench cpu: %s: %zu, median %.3f ms, 99th percentile %.3f ms, slowest %.3f ms\n", what,
                            v.size(), v[v.size() / 2], v[v.size() * 99 / 100], v.back());
        };
        figures(bot.drawnCpuMs, "drawn frames");
        figures(bot.updateCpuMs, "updates alone");
    }
    int wanted = opt.last - opt.first + 1;
    return bot.allWon && bot.LevelsFinished() == wanted ? 0 : 1;
}
