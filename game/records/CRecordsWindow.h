// The high-score window: the local table and, with a score server, the daily and global tables, ten
// rows at a time with medal counts and crowns, tabs, a scrollbar, and clearing of the local table.
#pragma once

#include <string>
#include <vector>

#include "core/Color.h"
#include "shell/CGameDialog.h"
#include "shell/CImage.h"
#include "widgets/ScrollListener.h"

namespace tilvan
{

class CGameButton;
class CProfiles;
class CRecord;
class CRecords;
class CRecordsScrollbar;

class CRecordsWindow : public CGameDialog, public Olvarn::ScrollListener
{
public:
    static constexpr int kDialogId = 1;
    enum ETab { kLocal = 0, kDaily = 1, kGlobal = 2 };
    static constexpr int kShownRows = 10;

    // One row as the window shows it.
    struct CShownRow {
        std::string rankAndName;
        std::string score;
        std::string star;
        std::string fish;
        std::string sun;
        Olvarn::Color color;
    };

    // With highlight, the latest result entered into the local table is shown in yellow.
    CRecordsWindow(bool highlight, CRecords& records, CProfiles& profiles);
    ~CRecordsWindow() override;

    // To the table of the tab; an online tab first sends the results once per window, and stays
    // unshown when that fails.
    void SwitchTab(int tab);

    void OnButtonRelease(int id) override;
    void OnKeyDown(int key) override;
    void Update() override;
    void Draw(Olvarn::Graphics& g) override;
    void ScrollPosition(int id, double value) override;

    // The rows from the first row on, at most ten.
    std::vector<CShownRow> ShownRows();

    int Tab() const { return mTab; }
    int FirstRow() const { return mFirstRow; }
    int Highlight() const { return mHighlight; }
    bool IsConnected() const { return mConnected; }
    CRecordsScrollbar* Scrollbar() const { return mScrollbar; }
    CGameButton* OkButton() const { return mOk; }
    CGameButton* ClearButton() const { return mClear; }
    CGameButton* TabButton(int tab) const;
    const std::vector<CImage>& MedalIcons() const { return mMedalIcons; }
    const std::vector<CImage>& CrownIcons() const { return mCrownIcons; }

private:
    const std::vector<CRecord>& Table() const;
    bool Connect();
    void Clear();
    void PlaceTabs();
    void SetTabLook(CGameButton* tab, bool active, int top);
    void BuildIcons();

    CRecords& mRecords;
    CProfiles& mProfiles;
    int mTab = kLocal;
    CGameButton* mOk = nullptr;
    CGameButton* mClear = nullptr;
    CGameButton* mLocalTab = nullptr;
    CGameButton* mDailyTab = nullptr;
    CGameButton* mGlobalTab = nullptr;
    CRecordsScrollbar* mScrollbar = nullptr;
    std::vector<CImage> mMedalIcons;
    std::vector<CImage> mCrownIcons;
    int mFirstRow = 0;
    int mHighlight = -1;
    bool mConnected = false;
};

} // namespace tilvan
