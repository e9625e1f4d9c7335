// The toolkit's dialog box: a frame (nine-grid image or drawn in code), header, wrapped lines,
// footer and up to two buttons kept just above it; it can be dragged and waited on in a nested loop.
#pragma once

#include <climits>
#include <string>

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"
#include "widgets/WidgetMargins.h"

namespace Olvarn
{

class DialogButton;
class DialogListener;
class Font;
class Image;

// The labels of the standard button pairs.
inline constexpr const char* DIALOG_YES_STRING = "YES";
inline constexpr const char* DIALOG_NO_STRING = "NO";
inline constexpr const char* DIALOG_OK_STRING = "OK";
inline constexpr const char* DIALOG_CANCEL_STRING = "CANCEL";

class Dialog : public Widget, public ButtonListener
{
public:
    enum ButtonMode {
        BUTTONS_NONE = 0,
        BUTTONS_YES_NO = 1,
        BUTTONS_OK_CANCEL = 2,
        BUTTONS_FOOTER = 3,
    };
    enum ColorIndex {
        COLOR_HEADER = 0,
        COLOR_LINES = 1,
        COLOR_FOOTER = 2,
        COLOR_BUTTON_TEXT = 3,
        COLOR_BUTTON_TEXT_HILITE = 4,
        COLOR_BKG = 5,
        COLOR_OUTLINE = 6,
    };
    static constexpr int ID_YES = 1000;
    static constexpr int ID_NO = 1001;
    static constexpr int ID_OK = 1000;
    static constexpr int ID_CANCEL = 1001;
    static constexpr int ID_FOOTER = 1000;
    // The result while no button has been clicked.
    static constexpr int kNoResult = INT_MAX;

    Dialog(Image* frameImage, Image* buttonImage, int id, bool modal, const std::string& header,
           const std::string& lines, const std::string& footer, int buttonMode);
    ~Dialog() override;

    virtual void SetButtonFont(Font* font);
    virtual void SetTitleFont(Font* font);
    virtual void SetBodyFont(Font* font);
    virtual int MeasureHeight(int width);
    virtual bool IsModal();
    virtual int RunUntilClosed(bool autoKill);

    void OnAttached(WidgetManager* manager) override;
    void OnDetached(WidgetManager* manager) override;
    void Draw(Graphics& g) override;
    void OnZOrderChanged() override;
    void SetColor(int index, const Color& color) override;
    void Resize(int x, int y, int width, int height) override;
    void OnMouseDown(int x, int y, int clickCode) override;
    void OnMouseUpAt(int x, int y) override;
    void OnMouseDrag(int x, int y) override;

    void OnButtonPress(int id) override;
    void OnButtonRelease(int id) override;

    DialogListener* mDialogListener = nullptr;
    Image* mFrameImage = nullptr;
    DialogButton* mFirstButton = nullptr;
    DialogButton* mSecondButton = nullptr;
    std::string mHeaderText;
    std::string mFooterText;
    std::string mLinesText;
    int mButtonMode = BUTTONS_NONE;
    Font* mTitleFont = nullptr;
    Font* mBodyFont = nullptr;
    int mLinesJustification = 0;
    int mLinesSpacingExtra = 0;
    int mButtonHeight = 24;
    WidgetMargins mFrameInsets{0, 0, 0, 0};
    WidgetMargins mContentBorders{24, 24, 24, 24};
    int mHeaderGap = 10;
    bool mIsDragging = false;
    int mGrabX = 0;
    int mGrabY = 0;
    int mId = 0;
    bool mModal = false;
    int mResult = kNoResult;
    int mButtonGap = 8;
    int mButtonSideMargin = 0;

private:
    void EnsureFonts();
    void LayoutButtons();
    void DrawCodeFrame(Graphics& g);
    // Sums of the frame insets and content borders on each side.
    int Left() const { return mFrameInsets.mLeft + mContentBorders.mLeft; }
    int Top() const { return mFrameInsets.mTop + mContentBorders.mTop; }
    int Right() const { return mFrameInsets.mRight + mContentBorders.mRight; }
    int Bottom() const { return mFrameInsets.mBottom + mContentBorders.mBottom; }
    static int ClampToEdge(int position, int size, int screenSize);
};

} // namespace Olvarn
