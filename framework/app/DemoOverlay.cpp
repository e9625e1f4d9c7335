// The playback overlays: their input, layout and drawing. Sizes are given in dialog units of an
// 8-point face (1.5 pixels across, 13/8 pixels down), which is how their layout was first drawn up.
#include "app/DemoOverlay.h"

#include <algorithm>
#include <cstdio>

#include "core/Color.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "platform/KeyMap.h"

namespace Olvarn
{

namespace
{

constexpr int kTitleHeight = 20;
constexpr int kVK_UP = 0x26;
constexpr int kVK_DOWN = 0x28;

int DluX(int units)
{
    return units * 3 / 2;
}

int DluY(int units)
{
    return units * 13 / 8;
}

// The client area of the box: at (10, 10) dialog units, below its title strip.
Rect Client(DemoOverlay::Kind kind)
{
    int height = kind == DemoOverlay::Kind::JumpToTime ? 50 : 200;
    return Rect(DluX(10), DluY(10) + kTitleHeight, DluX(200), DluY(height));
}

int FieldValue(const std::string& field)
{
    // An integer at the start of the field, as a C reader takes it; nothing readable is 0.
    size_t i = 0;
    while (i < field.size() && field[i] == ' ')
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+'))
        negative = field[i++] == '-';
    long long value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (field[i] - '0'), 1000000000LL);
    return static_cast<int>(negative ? -value : value);
}

} // namespace

int ParseJumpTime(const std::string& text)
{
    long long value = 0;
    size_t start = 0;
    for (;;) {
        size_t colon = text.find(':', start);
        std::string field = text.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        // Bounded, so a long row of fields cannot overflow.
        value = std::clamp<long long>(value * 60 + FieldValue(field), -1000000000LL, 1000000000LL);
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return static_cast<int>(value);
}

int JumpTimeTarget(const std::string& text, int totalUpdates, int updateStep)
{
    long long seconds = ParseJumpTime(text);
    long long target = totalUpdates - (seconds + 1) * 1000 / std::max(updateStep, 1);
    return static_cast<int>(std::clamp<long long>(target, INT32_MIN, INT32_MAX));
}

std::vector<MarkerEntry> MarkerListEntries(const std::vector<DemoLabel>& labels, int updateCount, int totalUpdates,
                                           int updateStep)
{
    std::vector<MarkerEntry> entries;
    for (const DemoLabel& label : labels) {
        if (label.mUpdate <= updateCount)
            continue;
        long long ms = static_cast<long long>(totalUpdates - label.mUpdate) * updateStep;
        long long seconds = std::max(ms, 0LL) / 1000;
        char time[64];
        std::snprintf(time, sizeof(time), " (%02lld:%02lld:%02lld)", seconds / 3600, seconds / 60 % 60, seconds % 60);
        entries.push_back({label.mName + time, label.mUpdate});
    }
    return entries;
}

DemoOverlay DemoOverlay::JumpToTime(const std::string& text)
{
    DemoOverlay overlay(Kind::JumpToTime);
    overlay.mText = text.substr(0, kMaxTextLength);
    overlay.mAllSelected = true;
    return overlay;
}

DemoOverlay DemoOverlay::MarkerList(std::vector<MarkerEntry> entries)
{
    DemoOverlay overlay(Kind::MarkerList);
    overlay.mEntries = std::move(entries);
    return overlay;
}

void DemoOverlay::Finish(bool accepted)
{
    mDone = true;
    mAccepted = accepted;
    mDirty = true;
}

void DemoOverlay::OnChar(int character)
{
    if (mDone || mKind != Kind::JumpToTime)
        return;
    const unsigned char c = static_cast<unsigned char>(character);
    if (c == '\b') {
        if (mAllSelected)
            mText.clear();
        else if (!mText.empty())
            mText.pop_back();
    } else if (c >= 0x20 && c != 0x7F) {
        if (mAllSelected)
            mText.clear();
        if (mText.size() < kMaxTextLength)
            mText.push_back(static_cast<char>(c));
    } else {
        return;
    }
    mAllSelected = false;
    mDirty = true;
}

void DemoOverlay::OnKeyDown(int key)
{
    if (mDone)
        return;
    if (key == VK_ESCAPE) {
        Finish(false);
        return;
    }
    if (mKind == Kind::JumpToTime) {
        if (key == VK_RETURN)
            Finish(true);
        return;
    }
    const int count = static_cast<int>(mEntries.size());
    if (key == VK_RETURN) {
        if (mSelected >= 0)
            Finish(true);
        return;
    }
    if (count == 0 || (key != kVK_UP && key != kVK_DOWN))
        return;
    mSelected = std::clamp(mSelected + (key == kVK_DOWN ? 1 : -1), 0, count - 1);
    // The chosen line stays in view.
    const int rows = std::max((ListArea().mHeight - 4) / kTitleHeight, 1);
    mFirstShown = std::clamp(mFirstShown, mSelected - rows + 1, mSelected);
    mDirty = true;
}

int DemoOverlay::EntryAt(int x, int y) const
{
    const Rect list = ListArea();
    if (!list.Contains(x, y))
        return -1;
    int index = mFirstShown + (y - list.mY - 2) / kTitleHeight;
    return index >= 0 && index < static_cast<int>(mEntries.size()) ? index : -1;
}

void DemoOverlay::OnMouseDown(int x, int y, int clicks)
{
    if (mDone || clicks <= 0)
        return;
    if (mKind == Kind::JumpToTime) {
        if (OkButton().Contains(x, y))
            Finish(true);
        else if (CancelButton().Contains(x, y))
            Finish(false);
        return;
    }
    int index = EntryAt(x, y);
    if (index < 0)
        return;
    mSelected = index;
    mDirty = true;
    // A double click chooses, as in any list.
    if (clicks == 2)
        Finish(true);
}

Rect DemoOverlay::Bounds() const
{
    Rect client = Client(mKind);
    return Rect(client.mX, client.mY - kTitleHeight, client.mWidth, client.mHeight + kTitleHeight);
}

Rect DemoOverlay::OkButton() const
{
    Rect client = Client(mKind);
    return Rect(client.mX + DluX(30), client.mY + DluY(25), DluX(60), DluY(15));
}

Rect DemoOverlay::CancelButton() const
{
    Rect client = Client(mKind);
    return Rect(client.mX + DluX(100), client.mY + DluY(25), DluX(60), DluY(15));
}

Rect DemoOverlay::ListArea() const
{
    Rect client = Client(mKind);
    return Rect(client.mX + 10, client.mY + 10, client.mWidth - 20, client.mHeight - 20);
}

void DemoOverlay::Draw(Graphics& g, Font* font) const
{
    const Rect box = Bounds();
    const Rect client = Client(mKind);
    g.SetFont(font);
    g.SetColor(Color(212, 208, 200));
    g.FillRect(box);
    g.SetColor(Color(10, 36, 106));
    g.FillRect(box.mX, box.mY, box.mWidth, kTitleHeight);
    g.SetColor(Color(0, 0, 0));
    g.DrawRect(box.mX, box.mY, box.mWidth - 1, box.mHeight - 1);
    const int ascent = font ? font->Ascent() : 10;
    g.SetColor(Color(255, 255, 255));
    g.DrawString(mKind == Kind::JumpToTime ? "Jump To Time" : "Marker List", box.mX + 6, box.mY + 3 + ascent);
    if (mKind == Kind::JumpToTime) {
        Rect edit(client.mX + DluX(5), client.mY + DluY(5), DluX(190), DluY(15));
        g.SetColor(Color(255, 255, 255));
        g.FillRect(edit);
        g.SetColor(Color(128, 128, 128));
        g.DrawRect(edit.mX, edit.mY, edit.mWidth - 1, edit.mHeight - 1);
        int width = font ? font->TextWidth(mText) : 0;
        if (mAllSelected && !mText.empty()) {
            g.SetColor(Color(10, 36, 106));
            g.FillRect(edit.mX + 3, edit.mY + 3, std::min(width + 2, edit.mWidth - 6), edit.mHeight - 6);
        }
        g.SetColor(mAllSelected ? Color(255, 255, 255) : Color(0, 0, 0));
        g.DrawString(mText, edit.mX + 4, edit.mY + (edit.mHeight - (font ? font->Height() : 12)) / 2 + ascent);
        for (int i = 0; i < 2; ++i) {
            Rect button = i == 0 ? OkButton() : CancelButton();
            g.SetColor(Color(0, 0, 0));
            g.DrawRect(button.mX, button.mY, button.mWidth - 1, button.mHeight - 1);
            const std::string label = i == 0 ? "Ok" : "Cancel";
            int labelWidth = font ? font->TextWidth(label) : 0;
            g.DrawString(label, button.mX + (button.mWidth - labelWidth) / 2,
                         button.mY + (button.mHeight - (font ? font->Height() : 12)) / 2 + ascent);
        }
        return;
    }
    const Rect list = ListArea();
    g.SetColor(Color(255, 255, 255));
    g.FillRect(list);
    g.SetColor(Color(128, 128, 128));
    g.DrawRect(list.mX, list.mY, list.mWidth - 1, list.mHeight - 1);
    g.PushState();
    g.IntersectClip(list.mX + 1, list.mY + 1, list.mWidth - 2, list.mHeight - 2);
    for (int i = mFirstShown, row = 0; i < static_cast<int>(mEntries.size()); ++i, ++row) {
        int y = list.mY + 2 + row * kTitleHeight;
        if (y >= list.mY + list.mHeight)
            break;
        if (i == mSelected) {
            g.SetColor(Color(10, 36, 106));
            g.FillRect(list.mX + 2, y, list.mWidth - 4, kTitleHeight);
        }
        g.SetColor(i == mSelected ? Color(255, 255, 255) : Color(0, 0, 0));
        g.DrawString(mEntries[i].mText, list.mX + 4, y + 3 + ascent);
    }
    g.PopState();
}

} // namespace Olvarn
