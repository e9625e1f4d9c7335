// The drawing context: translates, clips and picks colours, then hands each draw to the destination
// image or the current font. A state stack lets callers change the state for a while and restore it.
#pragma once

#include <list>
#include <string>

#include "graphics/GraphicsState.h"

namespace Olvarn
{

class Image;
class Font;
class Matrix3;
class Transform2D;
struct TriVertex;

class Graphics : public GraphicsState
{
public:
    enum Justification { JUSTIFY_LEFT = -1, JUSTIFY_CENTER = 0, JUSTIFY_RIGHT = 1 };

    explicit Graphics(Image* destImage = nullptr);
    Graphics(const Graphics& other);
    Graphics& operator=(const Graphics& other) = delete;
    virtual ~Graphics();

    Graphics* Clone() const;

    void PushState();
    void PopState();

    void SetFont(Font* font) { mFont = font; }
    Font* GetFont() const { return mFont; }
    void SetColor(const Color& color) { mColor = color; }
    const Color& GetColor() const { return mColor; }
    void SetDrawMode(int mode) { mDrawMode = static_cast<DrawMode>(mode); }
    int GetDrawMode() const { return mDrawMode; }
    void SetModulateImages(bool on) { mColorizeImages = on; }
    bool GetModulateImages() const { return mColorizeImages; }
    void SetFastScaling(bool on) { mFastStretch = on; }
    bool GetFastScaling() const { return mFastStretch; }
    void SetBilinear(bool on) { mLinearBlend = on; }
    bool GetBilinear() const { return mLinearBlend; }

    void Translate(int x, int y);
    void IntersectClip(int x, int y, int width, int height);
    const Rect& GetClipRect() const { return mClipRect; }

    void FillRect(int x, int y, int width, int height);
    void FillRect(const Rect& r) { FillRect(r.mX, r.mY, r.mWidth, r.mHeight); }
    void DrawRect(int x, int y, int width, int height);
    void DrawRect(const Rect& r) { DrawRect(r.mX, r.mY, r.mWidth, r.mHeight); }

    void DrawImage(Image* image, int x, int y);
    void DrawImageRegion(Image* image, int x, int y, const Rect& region);
    void DrawImageAtFloat(Image* image, float x, float y, const Rect& region);
    void DrawImageScaled(Image* image, int x, int y, int width, int height);
    void DrawImageRegionScaled(Image* image, const Rect& dest, const Rect& region);
    void DrawImageMirrored(Image* image, const Rect& dest, const Rect& region, bool mirror);
    void DrawImageRotatedAround(Image* image, float x, float y, double angle, float centerX, float centerY,
                                const Rect* region = nullptr);
    void DrawImageRotated(Image* image, float x, float y, double angle, const Rect* region = nullptr);
    void DrawImageRotatedInt(Image* image, int x, int y, double angle, const Rect* region = nullptr);
    void DrawImageRotatedAroundInt(Image* image, int x, int y, double angle, int centerX, int centerY,
                                   const Rect* region = nullptr);
    void DrawImageMatrix(Image* image, const Matrix3& matrix, const Rect& region, float x, float y);
    void DrawTexturedTriangles(Image* texture, const TriVertex* vertices, int numTriangles);
    void DrawImageTransformed(Image* image, Transform2D& transform, const Rect& region, float x, float y,
                              bool subPixel);
    void DrawImageTransformedSnapped(Image* image, Transform2D& transform, const Rect& region, float x, float y)
    {
        DrawImageTransformed(image, transform, region, x, y, false);
    }
    void DrawImageCell(Image* image, int x, int y, int column, int row);
    void DrawImageCellByIndex(Image* image, int x, int y, int cell);
    void DrawNineGridRegion(const Rect& region, const Rect& dest, Image* image);
    void DrawNineGrid(const Rect& dest, Image* image);

    void DrawString(const std::string& text, int x, int y);
    void DrawStringUncolored(const std::string& text, int x, int y);
    int DrawTextJustified(const std::string& text, int x, int y, int width, int justification, bool draw = true,
                          int start = 0, int length = -1);
    int DrawTextWrapped(const Rect& rect, const std::string& text, int lineSpacing = -1,
                        int justification = JUSTIFY_LEFT, int* widest = nullptr);
    int MeasureWrappedHeight(int width, const std::string& text, int lineSpacing = -1, int* widest = nullptr);

    // Drawing into nothing: a context made on no image measures text safely.
    static Image* GetEmptyImage();

    std::list<GraphicsState> mStateStack;

private:
    Color ImageColor() const { return mColorizeImages ? mColor : Color::White; }
    // Translated and truncated toward zero.
    int TruncX(double x) const;
    int TruncY(double y) const;
    // Draws the pending piece of a coloured string in the current colour.
    void DrawTextPiece(const std::string& piece, int x, int y);
    void DrawNineGridEdges(const Rect& region, const Rect& dest, Image* image, int cw, int ch, int mw, int mh);
};

// Pops on leaving its scope, so a caller cannot forget to restore the state it pushed.
class GraphicsStateSaver
{
public:
    explicit GraphicsStateSaver(Graphics& g) : mGraphics(g) { mGraphics.PushState(); }
    ~GraphicsStateSaver() { mGraphics.PopState(); }
    GraphicsStateSaver(const GraphicsStateSaver&) = delete;
    GraphicsStateSaver& operator=(const GraphicsStateSaver&) = delete;

private:
    Graphics& mGraphics;
};

} // namespace Olvarn
