// The records scrollbar: pictures, arrow buttons and the thumb geometry of RecordsScrollGeometry.
#include "records/CRecordsScrollbar.h"

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "records/RecordsScrollGeometry.h"
#include "shell/CGameButton.h"
#include "shell/GameServices.h"
#include "widgets/ScrollListener.h"

namespace tilvan
{

namespace
{

CGameButton* MakeArrow(int id, Olvarn::ButtonListener* listener, const char* normal, const char* over,
                       const char* press)
{
    auto* button = new CGameButton(id, listener);
    button->mButtonImage = services::FindImage(normal);
    button->mDisabledImage = button->mButtonImage;
    button->mOverImage = services::FindImage(over);
    button->mDownImage = services::FindImage(press);
    Olvarn::Image* image = button->mButtonImage;
    button->Resize(0, 0, image ? image->GetWidth() : 0, image ? image->GetHeight() : 0);
    button->SetDisabled(true);
    return button;
}

int ImageHeight(const CImage& image)
{
    return image.GetImage() ? image.GetImage()->GetHeight() : 0;
}

} // namespace

CRecordsScrollbar::CRecordsScrollbar(int id, Olvarn::ScrollListener* listener) : ScrollbarWidget(id, listener)
{
    mTrack.AddFlags(CImage::BOX_IMAGE);
    mThumb.AddFlags(CImage::BOX_IMAGE);
    // The framework's grey arrows give way to pictured ones; nothing of the base touches them after this.
    RemoveAllChildren(true);
    mUpButton = nullptr;
    mDownButton = nullptr;
    mUp = MakeArrow(0, this, "IMAGE_GUI_RECORDS_SCROLL_UP", "IMAGE_GUI_RECORDS_SCROLL_UP_OVER",
                    "IMAGE_GUI_RECORDS_SCROLL_UP_PRESS");
    mDown = MakeArrow(1, this, "IMAGE_GUI_RECORDS_SCROLL_DOWN", "IMAGE_GUI_RECORDS_SCROLL_DOWN_OVER",
                      "IMAGE_GUI_RECORDS_SCROLL_DOWN_PRESS");
    AddWidget(mUp);
    AddWidget(mDown);
}

CRecordsScrollbar::~CRecordsScrollbar()
{
    RemoveAllChildren(true);
}

int CRecordsScrollbar::UpHeight() const
{
    return mUp->mHeight;
}

int CRecordsScrollbar::DownHeight() const
{
    return mDown->mHeight;
}

void CRecordsScrollbar::SetInvisibleWhenNoScroll(bool invisible)
{
    mInvisibleWhenNoScroll = invisible;
    if (invisible) {
        SetVisible(false);
        mUp->SetVisible(false);
        mDown->SetVisible(false);
    }
}

void CRecordsScrollbar::RefreshThumb()
{
    mThumb.SetSize(mWidth, GetThumbSize());
}

void CRecordsScrollbar::SetMaxValue(double maxValue)
{
    mMaxValue = maxValue;
    ClampValue();
    RefreshThumb();
    Invalidate();
}

void CRecordsScrollbar::SetPageSize(double pageSize)
{
    mPageSize = pageSize;
    ClampValue();
    RefreshThumb();
    Invalidate();
}

void CRecordsScrollbar::ResizeScrollbar(int x, int y, int width, int height)
{
    Resize(x, y, width, height);
    mUp->Resize(0, 0, mUp->mWidth, mUp->mHeight);
    mDown->Resize(0, height - mDown->mHeight, mDown->mWidth, mDown->mHeight);
    mTrack.SetSize(width, height);
    RefreshThumb();
    // The listener hears of the reset too, so what it shows follows the bar.
    const double old = mValue;
    mValue = 0;
    ClampValue();
    if (old != mValue && mListener)
        mListener->ScrollPosition(mId, mValue);
}

int CRecordsScrollbar::GetTrackSize()
{
    return mHeight - UpHeight() - DownHeight();
}

int CRecordsScrollbar::GetThumbSize()
{
    return scroll::ThumbSize(GetTrackSize(), mPageSize, mMaxValue, ImageHeight(mThumb));
}

int CRecordsScrollbar::GetThumbPosition()
{
    return scroll::ThumbPosition(UpHeight(), GetTrackSize(), GetThumbSize(), mValue, mPageSize, mMaxValue);
}

void CRecordsScrollbar::ClampValue()
{
    double old = mValue;
    mValue = scroll::ClampValue(mValue, mPageSize, mMaxValue);
    bool canScroll = scroll::CanScroll(mPageSize, mMaxValue);
    SetDisabled(!canScroll);
    mUp->SetDisabled(!canScroll);
    mDown->SetDisabled(!canScroll);
    if (mInvisibleWhenNoScroll) {
        SetVisible(canScroll);
        mUp->SetVisible(canScroll);
        mDown->SetVisible(canScroll);
    }
    if (mValue != old && mListener)
        mListener->ScrollPosition(mId, mValue);
}

void CRecordsScrollbar::SetThumbPosition(int position)
{
    int travel = GetTrackSize() - GetThumbSize();
    if (!scroll::CanScroll(mPageSize, mMaxValue) || travel <= 0)
        return;
    SetValue((mMaxValue - mPageSize) * (position - UpHeight()) / travel);
}

int CRecordsScrollbar::ThumbCompare(int x, int y)
{
    int position = GetThumbPosition();
    if (y < position)
        return -1;
    if (y >= position + GetThumbSize())
        return 1;
    return 0;
}

void CRecordsScrollbar::Draw(Olvarn::Graphics& g)
{
    mTrack.DrawAt(g, 0, 0);
    int position = GetThumbPosition();
    int size = GetThumbSize();
    if (mPagingState != kPagingNone) {
        Olvarn::GraphicsStateSaver saver(g);
        g.SetColor(Olvarn::Color(0, 0, 0, 100));
        if (mPagingState == kPagingBack)
            g.FillRect(0, 0, mWidth, position);
        else
            g.FillRect(0, position + size, mWidth, mHeight - position - size);
    }
    if (size > 0)
        mThumb.DrawAt(g, 0, position);
}

void CRecordsScrollbar::OnMouseDrag(int x, int y)
{
    // The thumb follows the pointer from where it was taken, so a press without a move leaves it put.
    if (mThumbDragging)
        SetThumbPosition(mDragStartThumbPos + (y - mPressY));
    mLastX = x;
    mLastY = y;
    mHasLastPoint = true;
}

void CRecordsScrollbar::OnButtonRelease(int id)
{
    mHeldUpdates = 0;
    SetValue(id == 1 ? mValue + 1 : mValue - 1);
}

void CRecordsScrollbar::OnButtonHeld(int id)
{
    if (++mHeldUpdates < kRepeatDelay)
        return;
    SetValue(id == 1 ? mValue + 1 : mValue - 1);
}

} // namespace tilvan
