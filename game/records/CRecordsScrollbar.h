// The records window's scrollbar: the framework scrollbar's logic with a track, a thumb and arrow
// buttons drawn from pictures; the thumb is never shorter than its picture.
#pragma once

#include "shell/CImage.h"
#include "widgets/ScrollbarWidget.h"

namespace tilvan
{

class CGameButton;

class CRecordsScrollbar : public Olvarn::ScrollbarWidget
{
public:
    CRecordsScrollbar(int id, Olvarn::ScrollListener* listener);
    ~CRecordsScrollbar() override;

    void SetInvisibleWhenNoScroll(bool invisible) override;
    void SetMaxValue(double maxValue) override;
    void SetPageSize(double pageSize) override;
    // Places the arrows at both ends, sizes the track and puts the value back to 0.
    void ResizeScrollbar(int x, int y, int width, int height) override;
    int GetTrackSize() override;
    int GetThumbSize() override;
    int GetThumbPosition() override;
    void ClampValue() override;
    void SetThumbPosition(int position) override;
    int ThumbCompare(int x, int y) override;

    void Draw(Olvarn::Graphics& g) override;
    void OnMouseDrag(int x, int y) override;
    // The pictured arrows act on release, one line a press; held, they repeat after 25 updates.
    void OnButtonRelease(int id) override;
    void OnButtonHeld(int id) override;

    CGameButton* UpButton() const { return mUp; }
    CGameButton* DownButton() const { return mDown; }

private:
    int UpHeight() const;
    int DownHeight() const;
    void RefreshThumb();

    CImage mTrack{"IMAGE_GUI_RECORDS_SCROLL_BASE"};
    CImage mThumb{"IMAGE_GUI_RECORDS_SCROLL_THUMB"};
    CGameButton* mUp = nullptr;
    CGameButton* mDown = nullptr;
    int mHeldUpdates = 0;
};

} // namespace tilvan
