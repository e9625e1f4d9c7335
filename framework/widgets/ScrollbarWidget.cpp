// Scrollbar value, geometry of the track and thumb, paging and arrow repeat, thumb dragging and drawing.
#include "widgets/ScrollbarWidget.h"

#include "graphics/Graphics.h"
#include "widgets/ScrollListener.h"
#include "widgets/ScrollbuttonWidget.h"

namespace Olvarn
{

namespace
{

constexpr Color kTrackHeld(48, 48, 48);
constexpr Color kTrack(232, 232, 232);
constexpr Color kFaceGrey(212, 212, 212);
constexpr Color kShadowGrey(132, 132, 132);
constexpr Color kWhite(255, 255, 255);
constexpr Color kBlack(0, 0, 0);

} // namespace

ScrollbarWidget::ScrollbarWidget(int id, ScrollListener* listener) : mId(id), mListener(listener)
{
    SetDisabled(true);
    mUpButton = new ScrollbuttonWidget(0, this);
    mDownButton = new ScrollbuttonWidget(1, this);
    mUpButton->SetDisabled(true);
    mDownButton->SetDisabled(true);
    AddWidget(mUpButton);
    AddWidget(mDownButton);
}

ScrollbarWidget::~ScrollbarWidget()
{
    RemoveAllChildren(true);
}

// ---- Setters ----

void ScrollbarWidget::ReportValue()
{
    if (mListener)
        mListener->ScrollPosition(mId, mValue);
}

void ScrollbarWidget::ClampValue()
{
    double old = mValue;
    if (mMaxValue - mPageSize < mValue)
        mValue = mMaxValue - mPageSize;
    if (mValue < 0)
        mValue = 0;
    bool canScroll = mPageSize < mMaxValue;
    SetDisabled(!canScroll);
    mUpButton->SetDisabled(!canScroll);
    mDownButton->SetDisabled(!canScroll);
    if (mInvisibleWhenNoScroll) {
        SetVisible(canScroll);
        mUpButton->SetVisible(canScroll);
        mDownButton->SetVisible(canScroll);
    }
    if (mValue != old)
        ReportValue();
}

void ScrollbarWidget::SetInvisibleWhenNoScroll(bool invisible)
{
    mInvisibleWhenNoScroll = invisible;
    if (invisible) {
        SetVisible(false);
        mUpButton->SetVisible(false);
        mDownButton->SetVisible(false);
    }
}

void ScrollbarWidget::SetMaxValue(double maxValue)
{
    mMaxValue = maxValue;
    ClampValue();
    Invalidate();
}

void ScrollbarWidget::SetPageSize(double pageSize)
{
    mPageSize = pageSize;
    ClampValue();
    Invalidate();
}

void ScrollbarWidget::SetValue(double value)
{
    mValue = value;
    ClampValue();
    ReportValue();
    Invalidate();
}

void ScrollbarWidget::SetHorizontal(bool horizontal)
{
    mHorizontal = horizontal;
    mUpButton->mHorizontal = horizontal;
    mDownButton->mHorizontal = horizontal;
}

void ScrollbarWidget::ResizeScrollbar(int x, int y, int width, int height)
{
    Resize(x, y, width, height);
    if (mHorizontal) {
        mUpButton->Resize(0, 0, height, height);
        mDownButton->Resize(width - height, 0, height, height);
    } else {
        mUpButton->Resize(0, 0, width, width);
        mDownButton->Resize(0, height - width, width, width);
    }
}

bool ScrollbarWidget::AtBottom()
{
    return mMaxValue - mPageSize - mValue <= 1;
}

void ScrollbarWidget::GoToBottom()
{
    mValue = mMaxValue - mPageSize;
    ClampValue();
    SetValue(mValue);
}

// ---- Geometry ----

int ScrollbarWidget::GetTrackSize()
{
    int arrow = mUpButton->mWidth;
    return (mHorizontal ? mWidth : mHeight) - 2 * arrow;
}

int ScrollbarWidget::GetThumbSize()
{
    if (ThumbHidden())
        return 0;
    int size = static_cast<int>(GetTrackSize() / mMaxValue * mPageSize + 0.5);
    return size < kMinThumbSize ? kMinThumbSize : size;
}

int ScrollbarWidget::GetThumbPosition()
{
    int arrow = mUpButton->mWidth;
    if (ThumbHidden())
        return arrow;
    return static_cast<int>((GetTrackSize() - GetThumbSize()) * mValue / (mMaxValue - mPageSize) + 0.5) + arrow;
}

void ScrollbarWidget::SetThumbPosition(int position)
{
    int travel = GetTrackSize() - GetThumbSize();
    // A hidden thumb, or one that fills the track, has nowhere to go.
    if (ThumbHidden() || travel <= 0)
        return;
    SetValue((mMaxValue - mPageSize) * (position - mUpButton->mWidth) / travel);
}

int ScrollbarWidget::ThumbCompare(int x, int y)
{
    int c = mHorizontal ? x : y;
    int position = GetThumbPosition();
    if (c < position)
        return -1;
    if (c >= position + GetThumbSize())
        return 1;
    return 0;
}

// ---- Mouse and repeat ----

void ScrollbarWidget::OnMouseDown(int x, int y, int clickCode)
{
    Widget::OnMouseDown(x, y, clickCode);
    if (!mIsDisabled) {
        switch (ThumbCompare(x, y)) {
        case -1:
            SetValue(mValue - mPageSize);
            mPagingState = kPagingBack;
            mPagingCounter = 0;
            break;
        case 1:
            SetValue(mValue + mPageSize);
            mPagingState = kPagingForward;
            mPagingCounter = 0;
            break;
        default:
            mThumbDragging = true;
            mDragStartThumbPos = GetThumbPosition();
            mPressX = x;
            mPressY = y;
            break;
        }
    }
    mLastX = x;
    mLastY = y;
    mHasLastPoint = true;
}

void ScrollbarWidget::OnMouseDrag(int x, int y)
{
    if (mThumbDragging)
        SetThumbPosition(mDragStartThumbPos + (mHorizontal ? x - mPressX : y - mPressY));
    mLastX = x;
    mLastY = y;
    mHasLastPoint = true;
}

void ScrollbarWidget::OnMouseUpAt(int x, int y)
{
    mPagingState = kPagingNone;
    mThumbDragging = false;
    Invalidate();
}

void ScrollbarWidget::Update()
{
    Widget::Update();
    if (mPagingState != kPagingNone)
        StepPaging();
}

void ScrollbarWidget::StepPaging()
{
    int reached = mPagingState == kPagingBack ? -1 : 1;
    if (!mHasLastPoint || ThumbCompare(mLastX, mLastY) != reached) {
        mPagingState = kPagingNone;
        Invalidate();
        return;
    }
    if (++mPagingCounter < kRepeatDelay)
        return;
    SetValue(mPagingState == kPagingBack ? mValue - mPageSize : mValue + mPageSize);
    mPagingCounter = kPagingRepeatRestart;
}

void ScrollbarWidget::OnButtonPress(int id)
{
    mArrowCounter = 0;
    if (id == 1)
        SetValue(mValue + 1);
    else if (id == 0)
        SetValue(mValue - 1);
}

void ScrollbarWidget::OnButtonHeld(int id)
{
    if (++mArrowCounter < kRepeatDelay)
        return;
    if (id == 1)
        SetValue(mValue + 1);
    else if (id == 0)
        SetValue(mValue - 1);
    mArrowCounter = kArrowRepeatRestart;
}

// ---- Drawing ----

void ScrollbarWidget::FillTrack(Graphics& g, int from, int length, bool held)
{
    g.SetColor(held ? kTrackHeld : kTrack);
    if (mHorizontal)
        g.FillRect(from, 0, length, mHeight);
    else
        g.FillRect(0, from, mWidth, length);
}

void ScrollbarWidget::Draw(Graphics& g)
{
    int size = GetThumbSize();
    int position = GetThumbPosition();
    int length = mHorizontal ? mWidth : mHeight;
    FillTrack(g, 0, position, mPagingState == kPagingBack);
    if (size > 0) {
        if (mHorizontal)
            DrawThumb(g, position, 0, size, mHeight);
        else
            DrawThumb(g, 0, position, mWidth, size);
    }
    FillTrack(g, size + position, length - size - position, mPagingState == kPagingForward);
}

void ScrollbarWidget::DrawThumb(Graphics& g, int x, int y, int width, int height)
{
    DrawRaisedBox(g, x, y, width, height, true);
}

void ScrollbarWidget::DrawRaisedBox(Graphics& g, int x, int y, int width, int height, bool fill)
{
    if (fill) {
        g.SetColor(kFaceGrey);
        g.FillRect(x, y, width, height);
    }
    g.SetColor(kWhite);
    g.FillRect(x + 1, y + 1, width - 2, 1);
    g.FillRect(x + 1, y + 1, 1, height - 2);
    g.SetColor(kBlack);
    g.FillRect(x, y + height - 1, width, 1);
    g.FillRect(x + width - 1, y, 1, height);
    g.SetColor(kShadowGrey);
    g.FillRect(x + 1, y + height - 2, width - 2, 1);
    g.FillRect(x + width - 2, y + 1, 1, height - 2);
}

} // namespace Olvarn
