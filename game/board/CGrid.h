// The board of a level: 40 x 20 triangular cells (index column * 20 + row), the pieces put into it,
// the pearl of a pearl level, the blink of a random piece, and its cached background picture.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "board/CElement.h"
#include "board/CPearl.h"
#include "data/CSaveObject.h"

namespace Olvarn
{
class Graphics;
class MemoryImage;
} // namespace Olvarn

namespace tilvan
{

class CLevelInfo;

struct CGridCell {
    std::array<FPoint, 3> vertices;
    FPoint center;
    bool free = true;
    bool enabled = true;
    bool up = true;
};

struct CGridElement : public save::CSaveObject {
    static constexpr int kClassId = 1111;
    CGridElement() = default;
    CGridElement(const CElement& e, int x, int y) : element(e), x(x), y(y) {}
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    CElement element;
    int x = 0, y = 0;
};

struct CGridPearl : public save::CSaveObject {
    static constexpr int kClassId = 1112;
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    CPearl pearl;
    int x = 0, y = 0;
    float min_percent = 0;
};

class CGridBackground
{
public:
    CGridBackground();
    ~CGridBackground();
    CGridBackground(const CGridBackground&) = delete;
    CGridBackground& operator=(const CGridBackground&) = delete;

    void Build(const std::array<CGridCell, 800>& cells, FPoint offset);
    static void DrawCells(Olvarn::Graphics& g, const std::array<CGridCell, 800>& cells, FPoint shift);
    // The pictures drawn for cell (c, r) in order: the cell, then the edges toward missing neighbours.
    static std::vector<const char*> CellPictures(const std::array<CGridCell, 800>& cells, int c, int r);
    void Draw(Olvarn::Graphics& g);
    // The alpha the picture is drawn with, or -1 when it is drawn unmodulated.
    int FadeAlpha() const;

    FPoint mPosition;
    std::unique_ptr<Olvarn::MemoryImage> mImage;
    float mFadeTotal = 0;
    float mFadeLeft = 0;
};

class CGrid : public save::CSaveObject
{
public:
    static constexpr int kClassId = 111;

    static constexpr int kColumns = 40;
    static constexpr int kRows = 20;
    static constexpr int kCells = kColumns * kRows;

    CGrid();

    int Save() override;
    // Reads the grid row; a row whose cell flags are not all there is a damaged save (throws).
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }

    // The "grid_blink" constants: blink length and pause between blinks, in ms.
    static void SetBlinkConstants(int blinkTime, int maxBlinkPause);
    static int BlinkTime();
    static int MaxBlinkPause();

    void Reset();
    // enabled: the level's board flags in cell-index order.
    void Configure(FPoint offset, const std::array<bool, kCells>& enabled);
    void Configure(const CLevelInfo& level);
    void ApplyOffset();

    CGridCell* GetCell(int column, int row);
    const CGridCell* GetCell(int column, int row) const;
    CGridCell* CellAtPoint(int x, int y);
    const std::array<CGridCell, kCells>& GetCells() const { return mCells; }
    FPoint GetOffset() const { return mOffset; }

    bool InsertElement(const CElement& element, bool* pearlTaken = nullptr, bool* outside = nullptr);
    bool CanPlaceAnywhere(CElement& element) const;
    // The first fit in the order CanPlaceAnywhere tries them: rotation, then column and row of the
    // mask origin. False when there is none.
    bool FindFit(const CElement& element, int& rotation, int& column, int& row) const;
    bool RemoveElement(const CElement* element);
    CElement* ElementAt(int x, int y);
    // Whether the element's current shape fits with its origin on cell (c, r).
    bool Fits(const CellMask& mask, int c, int r) const;

    void UpdateCompletion();
    void AddPearl();
    float GetCompletion() const { return mCompletePercents; }
    bool IsFull() const { return mIsFull; }
    void Update(float ms);
    void Draw(Olvarn::Graphics& g);
    void DrawOverlay(Olvarn::Graphics& g);
    void FlashElementsInSequence(int first, int last);
    void FadeOutElements(int ms);

    const std::vector<std::unique_ptr<CGridElement>>& GetElements() const { return mElements; }
    std::vector<std::unique_ptr<CGridPearl>>& GetPearls() { return mPearls; }
    CGridBackground& GetBackground() { return mBackground; }
    float GetBlinkTimer() const { return mBlinkTimer; }

private:
    void BuildCells();
    void TakeCell(int c, int r, bool& pearlTaken);

    std::vector<std::unique_ptr<CGridElement>> mElements;
    std::vector<std::unique_ptr<CGridPearl>> mPearls;
    std::array<CGridCell, kCells> mCells;
    FPoint mOffset;
    bool mIsFull = false;
    CGridBackground mBackground;
    float mCompletePercents = 0;
    float mBlinkTimer = 0;
};

} // namespace tilvan
