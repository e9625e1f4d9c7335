// tamberlo-bot: plays campaign levels through the game's own input path (mouse and key messages into
// the application's queue) and prints one line per level; exit 0 only when every level was won.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../GameRegistrations.h"
#include "app/OlvarnAppBase.h"
#include "board/CPlayerInfo.h"
#include "core/Random.h"
#include "data/CStringTable.h"
#include "platform/AppMessage.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Paths.h"
#include "play/CPlay.h"
#include "records/CBonusStatisticsWindow.h"
#include "records/CRecordsWindow.h"
#include "records/CStatisticsWindow.h"
#include "screens/CGameScreen.h"
#include "screens/CMapWindow.h"
#include "shell/CDialogBuilder.h"
#include "shell/CGameApp.h"
#include "shell/CGameButton.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace
{

using namespace tilvan;

// Time that passes as fast as the program asks for it: every wait is over at once.
class FastClock : public Olvarn::Clock
{
public:
    int NowMs() override { return now += 1; }
    uint32_t TickCount() override { return static_cast<uint32_t>(now); }
    void SleepMs(int ms) override { now += ms; }

private:
    int now = 1000;
};

struct Options {
    int first = 1, last = 3;
    unsigned seed = 1;
    bool seeded = false, show = false, lose = false;
};

class Bot : public Olvarn::Widget
{
public:
    Bot(CGameApp& app, Options options) : app(app), opt(options) { Resize(0, 0, 1, 1); }

    void Update() override;

    bool allWon = true;
    int played = 0;

private:
    void Post(Olvarn::AppMessageKind kind, int x, int y, int64_t buttons = 0)
    {
        Olvarn::AppMessage m;
        m.mKind = kind;
        m.mParam1 = buttons;
        m.mParam2 = Olvarn::PackMousePosition(x, y);
        app.QueueMessage(m);
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
    int levelStartUpdate = 0;
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
        CGameButton* button = box->RightButton() && box->LeftButton() && opt.lose ? box->RightButton()
                              : box->LeftButton()                                 ? box->LeftButton()
                              : box->CenterButton()                               ? box->CenterButton()
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

void Bot::Finish(CPlay& play, bool won)
{
    const CPlayerInfo& player = CPlayerInfo::Instance();
    int n = play.Level().get_number();
    int frames = updates - levelStartUpdate;
    std::printf("level %d: %s, score %d, %.1f s game time, %d updates\n", n, won ? "won" : "lost", player.score,
                frames * 0.01, frames);
    std::fflush(stdout);
    ++played;
    if (!won) {
        allWon = false;
        // A loss the bot did not seek ends the run.
        if (!opt.lose) {
            quitting = true;
            app.Quit();
        }
    }
}

// The place where the shape touches the most walls and pieces, so that few holes stay open.
bool BestFit(CGrid& grid, const CElement& e, int& rot, int& col, int& row)
{
    int best = -1;
    const auto& shapes = e.GetShapes();
    for (int k = 0; k < e.GetPositions(); ++k) {
        const CellMask& mask = shapes[static_cast<size_t>(k)];
        for (int c = -4; c < CGrid::kColumns; ++c)
            for (int r = -4; r < CGrid::kRows; ++r) {
                // A shape's origin snaps only onto cells of even column + row.
                if (((c + r) % 2 + 2) % 2 != 0 || !grid.Fits(mask, c, r))
                    continue;
                int touch = 0;
                for (int dc = 0; dc < 5; ++dc)
                    for (int dr = 0; dr < 5; ++dr) {
                        if (!mask[static_cast<size_t>(dc * 5 + dr)])
                            continue;
                        const int n[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
                        for (const auto& d : n) {
                            int ec = dc + d[0], er = dr + d[1];
                            if (ec >= 0 && ec < 5 && er >= 0 && er < 5 && mask[static_cast<size_t>(ec * 5 + er)])
                                continue;
                            const CGridCell* cell = grid.GetCell(c + ec, r + er);
                            if (!cell || !cell->enabled || !cell->free)
                                ++touch;
                        }
                    }
                // Lower rows first, then the most contact.
                int score = touch * 100 + r * 3 - c;
                if (score > best) {
                    best = score;
                    rot = k, col = c, row = r;
                }
            }
    }
    return best >= 0;
}

void Bot::PlayMove(CPlay& play)
{
    CLevel& level = play.Level();
    CCursor& cursor = play.Cursor();
    CPipeline& pipeline = level.Pipeline();
    CGrid& grid = level.Grid();
    if (phase == 0 && cursor.IsCarrying()) {
        // A piece in hand: where it goes, or the fire.
        phase = BestFit(grid, cursor.Element(), targetRot, targetC, targetR) ? 1 : 3;
        return;
    }
    if (phase == 0) {
        if (cursor.GetState() != CCursor::free)
            return;
        // The first piece in the water that fits somewhere, else the oldest piece for the fire.
        CElement* chosen = nullptr;
        for (const auto& pe : pipeline.GetElements()) {
            CElement& e = pe->element;
            if (!e.GetType() || e.IsMoving())
                continue;
            int rot = 0, c = 0, r = 0;
            if (BestFit(grid, e, rot, c, r)) {
                chosen = &e;
                targetRot = rot, targetC = c, targetR = r;
                phase = 1;
                break;
            }
        }
        if (!chosen && !pipeline.GetElements().empty() && level.Fire().DelayTimeLeft() <= 0) {
            chosen = &pipeline.GetElements().front()->element;
            phase = 3;
        }
        if (!chosen)
            return;
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
        std::fprintf(stderr, "  drop at %d %d, piece at %.1f %.1f, mouse %.1f %.1f rot %d\n", x, y,
                     carried.GetPosition().x, carried.GetPosition().y, cursor.pos.x, cursor.pos.y,
                     carried.GetRotation());
    Click(x, y);
    phase = 0;
    wait = 2;
}

void Bot::Update()
{
    ++updates;
    // The bot's messages are the user's input: the game never counts as left alone.
    app.mLastUserInputTick = app.GetClock().NowMs();
    if (quitting)
        return;
    auto* screen = dynamic_cast<CGameScreen*>(app.ScreenHolder().Current());
    if (std::getenv("BOT_TRACE") && updates % 500 == 0)
        std::fprintf(stderr, "bot: update %d screen %p state %p loaded %d dialogs %zu\n", updates,
                     static_cast<void*>(screen), screen ? static_cast<void*>(screen->State()) : nullptr,
                     screen ? screen->IsLoaded() : -1, app.mDialogMap.size());
    if (std::getenv("BOT_TRACE") && updates % 500 == 0 && screen)
        if (auto* p = dynamic_cast<CPlay*>(screen->State()))
            std::fprintf(stderr, "  level %d state %d pieces %zu grid %.2f cursor %d busy %d phase %d\n",
                         p->Level().get_number(), p->Level().get_state(), p->Level().Pipeline().GetElements().size(),
                         p->Level().Grid().GetCompletion(), p->Cursor().GetState(), p->IsBusy(), phase);
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
        levelStartUpdate = updates;
        if (lostOnPurpose) {
            quitting = true;
            app.Quit();
            return;
        }
    }
    // Ten minutes of game time without an end: the level is not won.
    if (updates - levelStartUpdate > 60000) {
        Finish(*play, false);
        quitting = true;
        app.Quit();
        return;
    }
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
        } else if (a == "--lose") {
            opt.lose = true;
        } else {
            std::fprintf(stderr, "usage: tamberlo-bot [--levels N-M] [--seed N] [--show] [--lose]\n");
            return 2;
        }
    }
    tilvan::RegisterGameFolders();
    std::string path = Olvarn::Paths::ExecutablePath();
    size_t cut = path.find_last_of('/');
    if (cut != std::string::npos)
        Olvarn::Paths::ChangeDirectory(path.substr(0, cut));
    Olvarn::SeedRand(opt.seeded ? opt.seed : 1);

    tilvan::CGameApp& app = tilvan::CGameApp::Instance();
    static FastClock fast;
    if (!opt.show)
        app.SetClock(&fast);
    // Bots may run beside a game and beside each other.
    app.mOnlyAllowOneCopyToRun = false;
    app.InitApp();
    // Headless, many updates go to each drawn frame: a frame's present may wait for the display.
    if (!opt.show)
        app.mUpdateMultiplier = 20;
    Bot bot(app, opt);
    if (app.mWidgetManager)
        app.mWidgetManager->AddWidget(&bot);
    app.RunApp();
    if (app.mWidgetManager)
        app.mWidgetManager->RemoveWidget(&bot);
    app.RemoveScreen();
    int wanted = opt.last - opt.first + 1;
    return bot.allWon && bot.played == wanted ? 0 : 1;
}
