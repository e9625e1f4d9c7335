// Helpers for the widget tests: a widget that logs what happens to it and can act during its update,
// a manager without an application, a fixed-metrics font that records its draws, and pixel access.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace widgettest
{

using Log = std::vector<std::string>;

class LogWidget : public Olvarn::Widget
{
public:
    LogWidget(std::string name, Log* log, int x = 0, int y = 0, int width = 0, int height = 0)
        : mName(std::move(name)), mLog(log)
    {
        mX = x;
        mY = y;
        mWidth = width;
        mHeight = height;
    }

    void Update() override
    {
        Widget::Update();
        Note("update");
        if (mOnUpdate)
            mOnUpdate();
    }
    void Draw(Olvarn::Graphics& g) override
    {
        Note("draw");
        if (mFill.GetAlpha() != 0) {
            g.SetColor(mFill);
            g.FillRect(-1000, -1000, 3000, 3000);
        }
    }
    bool AcceptsFocus() override { return mTakesFocus; }
    bool IsOpaqueAt(int x, int y) override { return !mHoleAtLeft || x >= mWidth / 2; }
    void OnFocusGained() override
    {
        Widget::OnFocusGained();
        Note("focus+");
    }
    void OnFocusLost() override
    {
        Widget::OnFocusLost();
        Note("focus-");
    }
    void OnMouseEnter() override { Note("enter"); }
    void OnMouseLeave() override { Note("leave"); }
    void OnMouseMove(int x, int y) override { Note("move " + Pt(x, y)); }
    void OnMouseDrag(int x, int y) override { Note("drag " + Pt(x, y)); }
    void OnMouseButtonDown(int x, int y, int button, int count) override
    {
        Note("down " + Pt(x, y) + " b" + std::to_string(button) + " n" + std::to_string(count));
    }
    void OnMouseButtonUp(int x, int y, int button, int count) override
    {
        Note("up " + Pt(x, y) + " b" + std::to_string(button) + " n" + std::to_string(count));
    }
    void OnMouseWheel(int delta) override { Note("wheel " + std::to_string(delta)); }
    void OnKeyDown(int key) override
    {
        Note("keydown " + std::to_string(key));
        Widget::OnKeyDown(key);
    }
    void OnKeyUp(int key) override { Note("keyup " + std::to_string(key)); }
    void OnChar(char c) override { Note("char " + std::to_string(static_cast<unsigned char>(c))); }
    void OnZOrderChanged() override { Note("zorder"); }

    static std::string Pt(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    void Note(const std::string& what)
    {
        if (mLog)
            mLog->push_back(mName + " " + what);
    }

    std::string mName;
    Log* mLog = nullptr;
    std::function<void()> mOnUpdate;
    bool mTakesFocus = false;
    bool mHoleAtLeft = false;
    Olvarn::Color mFill{0, 0, 0, 0};
};

// Every character is 10 pixels wide; draws record themselves.
class FixedFont : public Olvarn::Font
{
public:
    struct Drawn {
        int x, y;
        std::string text;
        Olvarn::Color color;
    };

    explicit FixedFont(int ascent = 12, int height = 16)
    {
        mAscent = ascent;
        mHeight = height;
    }
    int TextWidth(const std::string& text) override { return 10 * static_cast<int>(text.size()); }
    void DrawText(Olvarn::Graphics* g, int x, int y, const std::string& text, const Olvarn::Color& color,
                  const Olvarn::Rect&) override
    {
        mDrawn->push_back({x + static_cast<int>(g->mTransX), y + static_cast<int>(g->mTransY), text, color});
    }
    Olvarn::Font* Clone() override { return new FixedFont(*this); }

    // Shared by clones, so a widget's own copy still reports to the test.
    std::shared_ptr<std::vector<Drawn>> mDrawn = std::make_shared<std::vector<Drawn>>();
};

inline Olvarn::MemoryImage* NewCanvas(int width, int height, uint32_t pixel)
{
    auto* image = new Olvarn::MemoryImage();
    std::vector<uint32_t> bits(static_cast<size_t>(width) * height, pixel);
    image->SetBits(bits.data(), width, height);
    return image;
}

inline uint32_t At(Olvarn::MemoryImage& image, int x, int y)
{
    return image.GetBits()[y * image.mWidth + x] & 0xFFFFFF;
}

inline int Count(const Log& log, const std::string& entry)
{
    int n = 0;
    for (const std::string& e : log)
        n += e == entry;
    return n;
}

} // namespace widgettest
