// A vertical or horizontal scrollbar: two arrow buttons, a track that pages while held and a
// proportional thumb that can be dragged; it reports its value to a ScrollListener.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

namespace Olvarn
{

class ScrollListener;
class ScrollbuttonWidget;

class ScrollbarWidget : public Widget, public ButtonListener
{
public:
    // Paging states of the track.
    static constexpr int kPagingNone = 0;
    static constexpr int kPagingBack = 1;
    static constexpr int kPagingForward = 2;
    // Updates a held track or arrow waits before repeating, and what a repeat rewinds the count to.
    static constexpr int kRepeatDelay = 25;
    static constexpr int kPagingRepeatRestart = 20;
    static constexpr int kArrowRepeatRestart = 24;
    static constexpr int kMinThumbSize = 8;

    ScrollbarWidget(int id, ScrollListener* listener);
    ~ScrollbarWidget() override;

    virtual void SetInvisibleWhenNoScroll(bool invisible);
    virtual void SetMaxValue(double maxValue);
    virtual void SetPageSize(double pageSize);
    virtual void SetValue(double value);
    virtual void SetHorizontal(bool horizontal);
    virtual void ResizeScrollbar(int x, int y, int width, int height);
    virtual bool AtBottom();
    virtual void GoToBottom();
    virtual void DrawThumb(Graphics& g, int x, int y, int width, int height);
    virtual int GetTrackSize();
    virtual int GetThumbSize();
    virtual int GetThumbPosition();
    virtual void ClampValue();
    virtual void SetThumbPosition(int position);
    virtual int ThumbCompare(int x, int y);

    void Update() override;
    void Draw(Graphics& g) override;
    void OnMouseDown(int x, int y, int clickCode) override;
    void OnMouseUpAt(int x, int y) override;
    void OnMouseDrag(int x, int y) override;

    void OnButtonPress(int id) override;
    void OnButtonHeld(int id) override;

    // The raised grey box of the thumb and the arrow buttons; fill false leaves the face as it is.
    static void DrawRaisedBox(Graphics& g, int x, int y, int width, int height, bool fill);

    ScrollbuttonWidget* mUpButton = nullptr;
    ScrollbuttonWidget* mDownButton = nullptr;
    bool mInvisibleWhenNoScroll = false;
    int mId = 0;
    double mValue = 0;
    double mMaxValue = 0;
    double mPageSize = 0;
    bool mHorizontal = false;
    bool mThumbDragging = false;
    int mDragStartThumbPos = 0;
    int mPressX = 0;
    int mPressY = 0;
    int mPagingState = kPagingNone;
    int mPagingCounter = 0;
    int mArrowCounter = 0;
    int mLastX = 0;
    int mLastY = 0;
    // False until the scrollbar is first pressed: paging started by a list's wheel then ends at the
    // next update instead of chasing a point nobody pressed.
    bool mHasLastPoint = false;
    ScrollListener* mListener = nullptr;

private:
    // Nothing to scroll: the page covers the whole range, and the thumb is not drawn.
    bool ThumbHidden() const { return mPageSize >= mMaxValue; }
    void ReportValue();
    void StepPaging();
    void FillTrack(Graphics& g, int from, int length, bool held);
};

} // namespace Olvarn
