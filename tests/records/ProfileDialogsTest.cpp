// The profile dialogs and the user management dialog, built from the game's own descriptions:
// names at the limit and outside ASCII, conflicts, making current, deleting and the last profile.
#include <gtest/gtest.h>

#include "WindowsFixture.h"
#include "records/CCreateProfileDialog.h"
#include "records/CProfiles.h"
#include "records/CRenameProfileDialog.h"
#include "records/CUserManagementDialog.h"
#include "shell/CGameButton.h"
#include "widgets/ListWidget.h"

using tilvan::CCreateProfileDialog;
using tilvan::CDialogBuilder;
using tilvan::CProfiles;
using tilvan::CRenameProfileDialog;
using tilvan::CUserManagementDialog;

namespace
{

constexpr int kNoResult = Olvarn::Dialog::kNoResult;

class ProfileDialogs : public recordstest::WindowsTest
{
protected:
    // Types the text as the keyboard would, one character at a time.
    static void Type(Olvarn::EditWidget* edit, const std::string& text)
    {
        for (char c : text)
            edit->OnChar(c);
    }
    static void Replace(Olvarn::EditWidget* edit, const std::string& text)
    {
        edit->SetText("", false);
        edit->mHilitePos = -1;
        Type(edit, text);
    }
    static std::vector<std::string> Lines(const Olvarn::ListWidget* list) { return list->mLines; }

    CProfiles mProfiles{false};
};

TEST_F(ProfileDialogs, CreateTakesNamesUpToTwentyCharactersAndMakesThemCurrent)
{
    struct Case {
        const char* what;
        std::string typed;
        std::string stored;
    } cases[] = {
        {"twenty letters", "Abcdefghijklmnopqrst", "Abcdefghijklmnopqrst"},
        {"a 21st letter is refused", "Abcdefghijklmnopqrstu", "Abcdefghijklmnopqrst"},
        {"twenty bytes outside ASCII", "J\xF6rg \xC5ngstr\xF6m \xE9t\xE9\xDF\xE6\xF8",
         "J\xF6rg \xC5ngstr\xF6m \xE9t\xE9\xDF\xE6\xF8"},
        {"cut at twenty bytes",
         "\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xDF",
         "\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xC4\xD6\xDC\xE4\xF6\xFC"},
        {"percent and dollar as typed", "%s %i $304 100%", "%s %i $304 100%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CProfiles profiles(false);
        CCreateProfileDialog dialog(profiles, false, "");
        ASSERT_NE(dialog.Edit(), nullptr);
        ASSERT_NE(dialog.OkButton(), nullptr);
        Type(dialog.Edit(), c.typed);
        dialog.Update();
        EXPECT_FALSE(dialog.OkButton()->mIsDisabled);
        dialog.OnKeyDown(recordstest::kEnter);
        EXPECT_EQ(dialog.mResult, 1);
        ASSERT_NE(profiles.GetCurrentProfile(), nullptr);
        EXPECT_EQ(profiles.GetCurrentProfile()->name, c.stored);
    }
}

TEST_F(ProfileDialogs, CreateRefusesAnEmptyNameAndATakenOneButNotADifferentCase)
{
    mProfiles.AddProfile("Mira", true);
    CCreateProfileDialog dialog(mProfiles, false, "Player");
    EXPECT_EQ(dialog.Edit()->mText, "Player");
    EXPECT_EQ(dialog.Edit()->mHilitePos, 0); // all of the initial name is selected
    EXPECT_EQ(dialog.Edit()->mCursorPos, 6);

    Replace(dialog.Edit(), "");
    dialog.Update();
    EXPECT_TRUE(dialog.OkButton()->mIsDisabled);
    dialog.OnKeyDown(recordstest::kEnter);
    EXPECT_EQ(dialog.mResult, kNoResult);

    Answer(0);
    Replace(dialog.Edit(), "Mira");
    dialog.Update();
    dialog.OnButtonRelease(dialog.OkButton()->mId);
    ASSERT_EQ(mCalls.size(), 1u);
    EXPECT_EQ(mCalls[0].box, "profile_conflict");
    EXPECT_EQ(dialog.mResult, kNoResult);
    EXPECT_EQ(dialog.Edit()->mText, "Mira");
    EXPECT_EQ(mProfiles.GetCount(), 1);

    Replace(dialog.Edit(), "mira");
    dialog.OnButtonRelease(dialog.OkButton()->mId);
    EXPECT_EQ(dialog.mResult, 1);
    EXPECT_EQ(mProfiles.GetCount(), 2);
    EXPECT_EQ(mProfiles.GetCurrentProfile()->name, "mira");
}

TEST_F(ProfileDialogs, WithoutCancelTheOkButtonTakesItsPlaceAndEscapeDoesNothing)
{
    CCreateProfileDialog normal(mProfiles, false, "A");
    CCreateProfileDialog forced(mProfiles, true, "A");
    ASSERT_NE(forced.CancelButton(), nullptr);
    EXPECT_FALSE(forced.CancelButton()->mIsVisible);
    EXPECT_EQ(forced.OkButton()->mWidth, normal.OkButton()->mWidth + normal.CancelButton()->mWidth);
    forced.OnKeyDown(recordstest::kEscape);
    EXPECT_EQ(forced.mResult, kNoResult);
    normal.OnKeyDown(recordstest::kEscape);
    EXPECT_EQ(normal.mResult, 0);
    EXPECT_EQ(mProfiles.GetCount(), 0);
}

TEST_F(ProfileDialogs, RenameChangesTheCurrentNameAndRefusesAnotherProfilesName)
{
    mProfiles.AddProfile("Ana", false);
    mProfiles.AddProfile("Bo", true);
    {
        CRenameProfileDialog dialog(mProfiles);
        EXPECT_EQ(dialog.Edit()->mText, "Bo");
        Answer(0);
        Replace(dialog.Edit(), "Ana");
        dialog.OnButtonRelease(dialog.OkButton()->mId);
        ASSERT_EQ(mCalls.size(), 1u);
        EXPECT_EQ(mCalls[0].box, "profile_conflict");
        EXPECT_EQ(dialog.mResult, kNoResult);
        EXPECT_EQ(mProfiles.GetCurrentProfile()->name, "Bo");
    }
    {
        CRenameProfileDialog dialog(mProfiles);
        dialog.OnButtonRelease(dialog.OkButton()->mId); // its own name
        EXPECT_EQ(dialog.mResult, 1);
        EXPECT_EQ(mProfiles.GetCurrentProfile()->name, "Bo");
    }
    {
        CRenameProfileDialog dialog(mProfiles);
        Replace(dialog.Edit(), "B\xF8rge");
        dialog.OnKeyDown(recordstest::kEnter);
        EXPECT_EQ(dialog.mResult, 1);
        EXPECT_EQ(mProfiles.GetCurrentProfile()->name, "B\xF8rge");
        EXPECT_EQ(mProfiles.GetProfile(0)->name, "Ana");
    }
}

TEST_F(ProfileDialogs, TheListShowsTheNewEntryAndEveryProfileWithTheCurrentSelected)
{
    for (const char* name : {"Ana", "Bo", "Cy"})
        mProfiles.AddProfile(name, false);
    mProfiles.SetCurrentProfile("Bo");
    CUserManagementDialog dialog(mProfiles);
    ASSERT_NE(dialog.List(), nullptr);
    EXPECT_EQ(Lines(dialog.List()), (std::vector<std::string>{"New player...", "Ana", "Bo", "Cy"}));
    EXPECT_EQ(dialog.List()->mSelectIndex, 2);
    // Four lines fit: nothing to scroll.
    EXPECT_TRUE(dialog.ScrollUpButton()->mIsDisabled);
    EXPECT_TRUE(dialog.ScrollDownButton()->mIsDisabled);

    dialog.OnListClicked(dialog.List()->mId, 3, 1);
    EXPECT_EQ(mProfiles.GetCurrentProfile()->name, "Cy");
    dialog.OnButtonRelease(dialog.CancelButton()->mId);
    EXPECT_EQ(mProfiles.GetCurrentProfile()->name, "Bo");
    EXPECT_EQ(dialog.mResult, 0);
}

TEST_F(ProfileDialogs, DeleteAsksWithTheNameAsTypedAndKeepsEverythingWhenRefused)
{
    const std::string odd = "%s %i $304 50%";
    mProfiles.AddProfile("Ana", false);
    mProfiles.AddProfile(odd, true);
    CUserManagementDialog dialog(mProfiles);
    ASSERT_EQ(dialog.List()->mSelectIndex, 2);

    Answer(CDialogBuilder::RIGHT);
    dialog.OnButtonRelease(dialog.DeleteButton()->mId);
    ASSERT_EQ(mCalls.size(), 1u);
    EXPECT_EQ(mCalls[0].box, "delete_profile");
    EXPECT_EQ(mCalls[0].text, "The player " + odd + " and the saved game will be lost.");
    EXPECT_EQ(mProfiles.GetCount(), 2);

    // A box closed without an answer keeps the profile too.
    Answer(-1);
    dialog.OnButtonRelease(dialog.DeleteButton()->mId);
    EXPECT_EQ(mProfiles.GetCount(), 2);

    Answer(CDialogBuilder::LEFT);
    dialog.OnButtonRelease(dialog.DeleteButton()->mId);
    EXPECT_EQ(mProfiles.GetCount(), 1);
    EXPECT_EQ(Lines(dialog.List()), (std::vector<std::string>{"New player...", "Ana"}));
    // The last line went: the selection moves up to the new last line, which becomes current.
    EXPECT_EQ(dialog.List()->mSelectIndex, 1);
    EXPECT_EQ(mProfiles.GetCurrentProfile()->name, "Ana");
}

TEST_F(ProfileDialogs, DeletingTheOnlyProfileMakesThePlayerNameANewOne)
{
    mProfiles.AddProfile("Solo", true);
    CUserManagementDialog dialog(mProfiles);
    Answer(CDialogBuilder::LEFT);
    bool cancellable = true;
    Answer([&](Olvarn::Dialog* d) {
        auto* create = dynamic_cast<CCreateProfileDialog*>(d);
        if (!create)
            return -1;
        cancellable = create->CancelButton()->mIsVisible;
        create->OnKeyDown(recordstest::kEscape); // no way out
        Type(create->Edit(), "Neu");
        create->OnButtonRelease(create->OkButton()->mId);
        return create->mResult;
    });
    dialog.OnButtonRelease(dialog.DeleteButton()->mId);
    EXPECT_FALSE(cancellable);
    EXPECT_EQ(Lines(dialog.List()), (std::vector<std::string>{"New player...", "Neu"}));
    EXPECT_EQ(dialog.List()->mSelectIndex, 1);
    ASSERT_NE(mProfiles.GetCurrentProfile(), nullptr);
    EXPECT_EQ(mProfiles.GetCurrentProfile()->name, "Neu");
}

TEST_F(ProfileDialogs, TheNewPlayerLineClosesTheListOnlyWhenAProfileWasMade)
{
    mProfiles.AddProfile("Ana", true);
    CUserManagementDialog dialog(mProfiles);
    Answer([](Olvarn::Dialog* d) {
        auto* create = dynamic_cast<CCreateProfileDialog*>(d);
        create->OnButtonRelease(create->CancelButton()->mId);
        return create->mResult;
    });
    dialog.OnListClicked(dialog.List()->mId, 0, 1);
    EXPECT_EQ(dialog.mResult, kNoResult);

    Answer([](Olvarn::Dialog* d) {
        auto* create = dynamic_cast<CCreateProfileDialog*>(d);
        create->Edit()->SetText("Bea", false);
        create->OnButtonRelease(create->OkButton()->mId);
        return create->mResult;
    });
    dialog.OnListClicked(dialog.List()->mId, 0, 2);
    EXPECT_EQ(dialog.mResult, 0);
    EXPECT_EQ(mProfiles.GetCurrentProfile()->name, "Bea");
}

TEST_F(ProfileDialogs, RenameFromTheListShowsTheNewName)
{
    mProfiles.AddProfile("Ana", true);
    CUserManagementDialog dialog(mProfiles);
    Answer([](Olvarn::Dialog* d) {
        auto* rename = dynamic_cast<CRenameProfileDialog*>(d);
        rename->Edit()->SetText("Anabel", false);
        rename->OnButtonRelease(rename->OkButton()->mId);
        return rename->mResult;
    });
    dialog.OnButtonRelease(dialog.RenameButton()->mId);
    EXPECT_EQ(Lines(dialog.List()), (std::vector<std::string>{"New player...", "Anabel"}));
}

} // namespace
