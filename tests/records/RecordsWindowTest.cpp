// The records window and its scrollbar: tables, highlighting, tabs and the first connection, clearing,
// and the scrollbar at its edges.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "WindowsFixture.h"
#include "app/LoopbackServer.h"
#include "records/CConnectingDialog.h"
#include "records/CProfiles.h"
#include "records/CRecords.h"
#include "records/CRecordsScrollbar.h"
#include "records/CRecordsWindow.h"
#include "shell/CGameButton.h"

using tilvan::CDialogBuilder;
using tilvan::CRecordsWindow;

namespace
{

class RecordsWindow : public recordstest::WindowsTest
{
protected:
    void SetUp() override
    {
        WindowsTest::SetUp();
        mProfiles.AddProfile("Me", true);
    }
    // A profile's result entered now.
    int Enter(const std::string& name, int score)
    {
        tilvan::CProfile profile(name);
        return mRecords.AddResult(profile, score, 4, tilvan::SystemTimeTicks());
    }
    // An online table of 100 made-up entries, with the player's own at index.
    void FillOnline(std::vector<tilvan::CRecord>& table, int index)
    {
        for (int i = 0; i < int(table.size()); ++i) {
            table[size_t(i)].name = i == index ? "Me" : "other" + std::to_string(i);
            table[size_t(i)].score = 10000 - i;
            table[size_t(i)].generated = false;
        }
    }

    tilvan::CProfiles mProfiles{false};
    tilvan::CRecords mRecords{"Player", false};
};

TEST_F(RecordsWindow, TheLocalTableShowsTenRowsWithTheLatestResultInYellow)
{
    Enter("Ana", 900);
    Enter("Bo", 800);
    Enter("Me", 700);
    ASSERT_EQ(mRecords.last_record, 3);
    mRecords.local[0].star_medal = 7;
    mRecords.local[0].crown = true;
    CRecordsWindow window(true, mRecords, mProfiles);
    std::vector<CRecordsWindow::CShownRow> rows = window.ShownRows();
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0].rankAndName, "  1. Ana");
    EXPECT_EQ(rows[0].star, "07");
    EXPECT_EQ(rows[2].score, "700");
    EXPECT_EQ(rows[9].rankAndName, " 10. Player");
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(rows[size_t(i)].color, i == 2 ? Olvarn::Color(255, 255, 0) : Olvarn::Color(255, 255, 255)) << i;
    EXPECT_EQ(window.MedalIcons().size(), 30u);
    EXPECT_EQ(window.CrownIcons().size(), 1u);

    CRecordsWindow plain(false, mRecords, mProfiles);
    EXPECT_EQ(plain.ShownRows()[2].color, Olvarn::Color(255, 255, 255));
}

TEST_F(RecordsWindow, WithoutAScoreServerOnlyTheLocalTabExistsAndNothingScrolls)
{
    CRecordsWindow window(false, mRecords, mProfiles);
    ASSERT_NE(window.TabButton(CRecordsWindow::kLocal), nullptr);
    EXPECT_EQ(window.TabButton(CRecordsWindow::kDaily), nullptr);
    EXPECT_EQ(window.TabButton(CRecordsWindow::kGlobal), nullptr);
    EXPECT_TRUE(window.TabButton(CRecordsWindow::kLocal)->mIsDisabled); // the active tab
    EXPECT_FALSE(window.Scrollbar()->mIsVisible);                       // exactly ten entries
    window.SwitchTab(CRecordsWindow::kDaily);
    EXPECT_EQ(window.Tab(), CRecordsWindow::kLocal);
    EXPECT_TRUE(mCalls.empty());
}

TEST_F(RecordsWindow, AFailedConnectionKeepsTheLocalTableAndTheNextClickTriesAgain)
{
    SetUrl("http://127.0.0.1:9/scores");
    CRecordsWindow window(false, mRecords, mProfiles);
    ASSERT_NE(window.TabButton(CRecordsWindow::kDaily), nullptr);
    size_t sounds = mApp.mSounds.size();
    Answer(tilvan::CConnectingDialog::kFailed);
    Answer(0);
    window.OnButtonRelease(window.TabButton(CRecordsWindow::kDaily)->mId);
    ASSERT_EQ(mCalls.size(), 2u);
    EXPECT_EQ(mCalls[0].box, "connecting");
    EXPECT_EQ(mCalls[1].box, "connection_failed");
    EXPECT_EQ(SoundsSince(sounds), (std::vector<int>{kClickSound, kConnectionErrorSound}));
    EXPECT_EQ(window.Tab(), CRecordsWindow::kLocal);
    EXPECT_FALSE(window.IsConnected());
    EXPECT_FALSE(window.ClearButton()->mIsDisabled);

    Answer(tilvan::CConnectingDialog::kSucceeded);
    window.OnButtonRelease(window.TabButton(CRecordsWindow::kDaily)->mId);
    EXPECT_EQ(mCalls.size(), 3u);
    EXPECT_EQ(window.Tab(), CRecordsWindow::kDaily);
    EXPECT_TRUE(window.ClearButton()->mIsDisabled);
    // Connected once: the other online tab does not connect again.
    window.SwitchTab(CRecordsWindow::kGlobal);
    EXPECT_EQ(mCalls.size(), 3u);
    EXPECT_EQ(window.Tab(), CRecordsWindow::kGlobal);
    window.SwitchTab(CRecordsWindow::kLocal);
    EXPECT_FALSE(window.ClearButton()->mIsDisabled);
}

TEST_F(RecordsWindow, TheConnectingBoxFailsAtOnceWithoutAServerAddress)
{
    tilvan::CConnectingDialog box(mRecords, tilvan::SystemTimeTicks());
    box.Update();
    EXPECT_EQ(box.mResult, tilvan::CConnectingDialog::kFailed);
}

TEST_F(RecordsWindow, TheConnectingBoxEndsWhenTheServerHasAnsweredAndTheTablesTakeTheReply)
{
    const std::string reply = "1\nAna\n900\n3\n2\n1\n1\n0\n";
    httptest::LoopbackServer server(
        {httptest::Send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(reply.size()) + "\r\n\r\n" + reply)});
    SetUrl("http://127.0.0.1:" + std::to_string(server.Port()) + "/scores");
    Enter("Me", 500);
    tilvan::CConnectingDialog box(mRecords, tilvan::SystemTimeTicks());
    for (int i = 0; i < 1000 && box.mResult == Olvarn::Dialog::kNoResult; ++i) {
        box.Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(box.mResult, tilvan::CConnectingDialog::kSucceeded);
    EXPECT_NE(server.Request().find("Data="), std::string::npos);
    EXPECT_EQ(mRecords.daily[0].name, "Ana");
    EXPECT_EQ(mRecords.daily[0].score, 900);
    EXPECT_TRUE(mRecords.send_records.empty());
    EXPECT_TRUE(mRecords.local[0].sended);
}

TEST_F(RecordsWindow, AfterConnectingThePlayersOwnOnlineEntryIsScrolledIntoView)
{
    SetUrl("http://127.0.0.1:9/scores");
    struct Case {
        int index;
        int firstRow;
    } cases[] = {{0, 0}, {42, 42}, {89, 89}, {90, 90}, {95, 90}, {99, 90}, {-1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        FillOnline(mRecords.daily, c.index);
        CRecordsWindow window(false, mRecords, mProfiles);
        Answer(tilvan::CConnectingDialog::kSucceeded);
        window.SwitchTab(CRecordsWindow::kDaily);
        EXPECT_EQ(window.FirstRow(), c.firstRow);
        EXPECT_EQ(int(window.Scrollbar()->mValue), c.firstRow);
        EXPECT_TRUE(window.Scrollbar()->mIsVisible);
        std::vector<CRecordsWindow::CShownRow> rows = window.ShownRows();
        ASSERT_EQ(rows.size(), 10u);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(rows[size_t(i)].color == Olvarn::Color(255, 255, 0), c.firstRow + i == c.index) << i;
    }
}

TEST_F(RecordsWindow, ScrollingMovesTheRowsAndTheCrowns)
{
    SetUrl("http://127.0.0.1:9/scores");
    FillOnline(mRecords.global, -1);
    mRecords.global[12].crown = true;
    CRecordsWindow window(false, mRecords, mProfiles);
    Answer(tilvan::CConnectingDialog::kSucceeded);
    window.SwitchTab(CRecordsWindow::kGlobal);
    EXPECT_TRUE(window.CrownIcons().empty());
    window.Scrollbar()->SetValue(5);
    EXPECT_EQ(window.FirstRow(), 5);
    EXPECT_EQ(window.ShownRows()[0].rankAndName, "  6. other5");
    EXPECT_EQ(window.CrownIcons().size(), 1u);
    window.Scrollbar()->SetValue(1000);
    EXPECT_EQ(window.FirstRow(), 90);
    EXPECT_EQ(window.ShownRows()[9].rankAndName, "100. other99");
}

TEST_F(RecordsWindow, ClearingNeedsAPlainYes)
{
    Enter("Ana", 900);
    struct Case {
        int answer;
        bool cleared;
    } cases[] = {{CDialogBuilder::RIGHT, false}, {-1, false}, {CDialogBuilder::LEFT, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        CRecordsWindow window(true, mRecords, mProfiles);
        Answer(c.answer);
        window.OnButtonRelease(window.ClearButton()->mId);
        EXPECT_EQ(mCalls.back().box, "clear_records");
        EXPECT_EQ(mRecords.local[0].name, c.cleared ? "Player" : "Ana");
        EXPECT_EQ(window.Highlight(), c.cleared ? -1 : 1);
        EXPECT_FALSE(window.ClearButton()->mIsDisabled);
    }
    EXPECT_EQ(mRecords.send_records.size(), 1u); // the queue is not the local table
}

TEST_F(RecordsWindow, OkEnterAndEscapeCloseTheWindow)
{
    for (int key : {recordstest::kEnter, recordstest::kEscape}) {
        CRecordsWindow window(false, mRecords, mProfiles);
        window.OnKeyDown(key);
        EXPECT_EQ(window.mResult, 0);
    }
}

class RecordsScrollbar : public recordstest::WindowsTest
{
protected:
    struct Listener : Olvarn::ScrollListener {
        void ScrollPosition(int, double value) override { values.push_back(value); }
        std::vector<double> values;
    } mListener;
};

TEST_F(RecordsScrollbar, TheValueStaysWithinItsRangeAndTheThumbKeepsItsPictureHeight)
{
    tilvan::CRecordsScrollbar bar(0, &mListener);
    bar.SetInvisibleWhenNoScroll(true);
    bar.SetMaxValue(100);
    bar.SetPageSize(10);
    bar.ResizeScrollbar(0, 0, 20, 400);
    EXPECT_TRUE(bar.mIsVisible);
    EXPECT_EQ(bar.GetTrackSize(), 360);
    EXPECT_EQ(bar.GetThumbSize(), 36); // the proportional 36 and the picture agree
    bar.SetValue(500);
    EXPECT_EQ(bar.mValue, 90);
    EXPECT_EQ(bar.GetThumbPosition(), 20 + 360 - 36);
    bar.OnButtonRelease(1); // down at the bottom
    EXPECT_EQ(bar.mValue, 90);
    bar.OnButtonRelease(0);
    EXPECT_EQ(bar.mValue, 89);
    bar.SetValue(-3);
    EXPECT_EQ(bar.mValue, 0);
    EXPECT_EQ(bar.GetThumbPosition(), 20);

    bar.SetMaxValue(1000); // a proportional thumb of 4 pixels keeps the picture's 36
    EXPECT_EQ(bar.GetThumbSize(), 36);
    bar.SetValue(50);
    bar.ResizeScrollbar(0, 0, 20, 300);
    EXPECT_EQ(bar.mValue, 0);
    EXPECT_EQ(mListener.values.back(), 0);

    bar.SetMaxValue(10); // a page that holds everything
    EXPECT_TRUE(bar.mIsDisabled);
    EXPECT_TRUE(bar.UpButton()->mIsDisabled);
    EXPECT_TRUE(bar.DownButton()->mIsDisabled);
    EXPECT_FALSE(bar.mIsVisible);
    EXPECT_EQ(bar.GetThumbSize(), 0);
}

TEST_F(RecordsScrollbar, HoldingAnArrowRepeatsAfterTwentyFiveUpdates)
{
    tilvan::CRecordsScrollbar bar(0, &mListener);
    bar.SetMaxValue(100);
    bar.SetPageSize(10);
    bar.ResizeScrollbar(0, 0, 20, 400);
    for (int i = 0; i < 24; ++i)
        bar.OnButtonHeld(1);
    EXPECT_EQ(bar.mValue, 0);
    bar.OnButtonHeld(1);
    bar.OnButtonHeld(1);
    EXPECT_EQ(bar.mValue, 2);
    bar.OnButtonRelease(1);
    EXPECT_EQ(bar.mValue, 3);
    bar.OnButtonHeld(1); // the count starts again after a release
    EXPECT_EQ(bar.mValue, 3);
}

} // namespace

namespace
{

class RecordsConstants : public recordstest::WindowsTest
{
};

TEST_F(RecordsConstants, TheShippedGroupsAreReadAndAMissingKeyKeepsItsValue)
{
    EXPECT_EQ(tilvan::RecordsWindowLayout().line_space, 40);
    EXPECT_EQ(tilvan::RecordsWindowLayout().font, "FONT_DEFAULT");
    EXPECT_EQ(tilvan::StatisticsLayout().new_record, "New record!"); // its string reference expanded
    EXPECT_EQ(tilvan::StatisticsLayout().medals_dark_color, Olvarn::Color(110, 140, 170, 170));
    EXPECT_FLOAT_EQ(tilvan::StatisticsLayout().time_to_score_k, 0.5f);

    // A group that lacks "font" (the registry keeps earlier keys, so it is emptied first).
    tilvan::CConstantsRegistry::Instance()["records_window"].clear();
    tilvan::RecordsWindowLayout().font = "FONT_KEPT";
    const std::string file = mDir.File("partial.xml");
    std::ofstream(file) << "<data><constant group=\"records_window\" name=\"line_space\" value=\"12\"/></data>";
    tilvan::CConstantsRegistry::Instance().Load(file);
    EXPECT_EQ(tilvan::RecordsWindowLayout().line_space, 12);
    EXPECT_EQ(tilvan::RecordsWindowLayout().font, "FONT_KEPT");
}

TEST_F(RecordsConstants, TheShippedScoreServerAddressNamesNoOutsideHost)
{
    tilvan::CConstantsRegistry registry;
    registry.Load(testsupport::SourceDir() + "/data/properties/constants.xml");
    const std::string url = registry.Get("records", "url");
    EXPECT_TRUE(url.empty() || url.rfind("http://127.0.0.1", 0) == 0 || url.rfind("http://localhost", 0) == 0) << url;
    EXPECT_FALSE(registry.Get("records", "player").empty());
}

} // namespace

TEST_F(RecordsWindow, AReplayEntersTheDateItsRecordingEntered)
{
    // The clock's reading goes into the records, so a recording keeps it.
    mApp.mRecordingDemo = true;
    const uint64_t recorded = tilvan::SystemTimeTicks();
    mApp.mRecordingDemo = false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    mApp.mPlayingDemo = true;
    EXPECT_EQ(tilvan::SystemTimeTicks(), recorded);
    mApp.mPlayingDemo = false;
    // Without a demo the clock is read afresh.
    EXPECT_GT(tilvan::SystemTimeTicks(), recorded);
}
