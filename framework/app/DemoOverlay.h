// The two playback overlays, "Jump To Time" and "Marker List": small modal boxes drawn over the
// replay's last frame. They take the real keyboard and mouse, which a replay never hands to its
// widgets, and never touch the widget tree, so looking at a replay does not change its course.
#pragma once

#include <string>
#include <vector>

#include "app/DemoFile.h"
#include "core/Rect.h"

namespace Olvarn
{

class Graphics;
class Font;

// "1:30" is 90 seconds, "75" is 75: fields separated by ":", each taken as an integer (digits after
// an optional sign; anything else reads 0), value = value x 60 + field.
int ParseJumpTime(const std::string& text);
// The update count that "Jump To Time" goes to for the entered text: the time counts back from the
// end of the recording, as the overlay clock shows the remaining time.
int JumpTimeTarget(const std::string& text, int totalUpdates, int updateStep);

struct MarkerEntry {
    std::string mText;
    int mUpdate = 0;
};
// The labels still ahead of the update count, as "name (hh:mm:ss)" with the time remaining there.
std::vector<MarkerEntry> MarkerListEntries(const std::vector<DemoLabel>& labels, int updateCount, int totalUpdates,
                                           int updateStep);

class DemoOverlay
{
public:
    enum class Kind { JumpToTime, MarkerList };

    // The edit field starts with the text, all of it selected (the first key typed replaces it).
    static DemoOverlay JumpToTime(const std::string& text);
    static DemoOverlay MarkerList(std::vector<MarkerEntry> entries);

    // Real input, in client coordinates of the main window.
    void OnChar(int character);
    void OnKeyDown(int key);
    void OnMouseDown(int x, int y, int clicks);
    void Cancel() { Finish(false); }

    bool Done() const { return mDone; }
    bool Accepted() const { return mAccepted; }
    Kind GetKind() const { return mKind; }
    const std::string& Text() const { return mText; }
    int Selected() const { return mSelected; }
    const std::vector<MarkerEntry>& Entries() const { return mEntries; }
    // Set by every change; the loop draws when it is set and clears it.
    bool mDirty = true;

    Rect Bounds() const;
    Rect OkButton() const;
    Rect CancelButton() const;
    Rect ListArea() const;
    void Draw(Graphics& g, Font* font) const;

    static constexpr int kMaxTextLength = 500;

private:
    explicit DemoOverlay(Kind kind) : mKind(kind) {}
    void Finish(bool accepted);
    int EntryAt(int x, int y) const;

    Kind mKind;
    bool mDone = false;
    bool mAccepted = false;
    std::string mText;
    bool mAllSelected = false;
    std::vector<MarkerEntry> mEntries;
    int mSelected = -1;
    int mFirstShown = 0;
};

} // namespace Olvarn
