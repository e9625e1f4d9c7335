// The board's grid: cells, pieces at rest, insertion and completion, the pearl and the blink.
#include "board/CGrid.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "core/Random.h"

namespace tilvan
{

namespace
{
int gBlinkTime = 500;
int gMaxBlinkPause = 10000;
const double kSqrt3 = std::sqrt(3.0);

// Rows of one mask column as bits (bit dr).
std::array<uint32_t, 5> MaskColumns(const CellMask& mask)
{
    std::array<uint32_t, 5> cols{};
    for (int dc = 0; dc < 5; ++dc)
        for (int dr = 0; dr < 5; ++dr)
            if (mask[dc * 5 + dr])
                cols[dc] |= 1u << dr;
    return cols;
}
} // namespace

void CGrid::SetBlinkConstants(int blinkTime, int maxBlinkPause)
{
    gBlinkTime = blinkTime;
    gMaxBlinkPause = maxBlinkPause;
}
int CGrid::BlinkTime()
{
    return gBlinkTime;
}
int CGrid::MaxBlinkPause()
{
    return gMaxBlinkPause;
}

CGrid::CGrid() : mBlinkTimer(static_cast<float>(gMaxBlinkPause))
{
    BuildCells();
}

void CGrid::BuildCells()
{
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < kRows; ++r) {
            CGridCell& cell = mCells[c * kRows + r];
            float x0 = c * 20.0f, y0 = r * 35.0f;
            cell.up = (c + r) % 2 == 0;
            if (cell.up) {
                cell.vertices = {FPoint(x0, y0 + 35), FPoint(x0 + 20, y0), FPoint(x0 + 40, y0 + 35)};
                cell.center = FPoint(x0 + 20, y0 + 23);
            } else {
                cell.vertices = {FPoint(x0, y0), FPoint(x0 + 40, y0), FPoint(x0 + 20, y0 + 35)};
                cell.center = FPoint(x0 + 20, y0 + 12);
            }
            cell.free = true;
            cell.enabled = true;
        }
}

void CGrid::Reset()
{
    mIsFull = false;
    mCompletePercents = 0;
    mElements.clear();
    mPearls.clear();
    BuildCells();
}

void CGrid::Configure(FPoint offset, const std::array<bool, kCells>& enabled)
{
    Reset();
    mOffset = offset;
    for (int i = 0; i < kCells; ++i)
        mCells[i].enabled = enabled[i];
    ApplyOffset();
    mBackground.Build(mCells, mOffset);
}

void CGrid::ApplyOffset()
{
    for (auto& cell : mCells) {
        for (auto& v : cell.vertices)
            v = FPoint(v.x + mOffset.x, v.y + mOffset.y);
        cell.center = FPoint(cell.center.x + mOffset.x, cell.center.y + mOffset.y);
        cell.free = true;
    }
}

CGridCell* CGrid::GetCell(int column, int row)
{
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows)
        return nullptr;
    return &mCells[column * kRows + row];
}

const CGridCell* CGrid::GetCell(int column, int row) const
{
    return const_cast<CGrid*>(this)->GetCell(column, row);
}

CGridCell* CGrid::CellAtPoint(int x, int y)
{
    double dx = x - mOffset.x, dy = y - mOffset.y;
    // Rounded down, so points above or left of the origin fall outside the board.
    int column = static_cast<int>(std::floor(dx / 20)), row = static_cast<int>(std::floor(dy / 35));
    if (row < 0 || row >= kRows || column < 0 || column > kColumns)
        return nullptr;
    int p = row % 2;
    double h = (row + p) * 35.0;
    double l = (column / 2) * 40.0 + 20;
    bool evenColumn = column % 2 == 0;
    double k = evenColumn ? (p == 0 ? kSqrt3 : -kSqrt3) : (p != 0 ? kSqrt3 : -kSqrt3);
    double v = dy - h + k * (dx - l);
    int chosen;
    if (evenColumn)
        chosen = v < 0 ? (p == 0 ? column - 1 : column) : (p == 0 ? column : column - 1);
    else
        chosen = v < 0 ? (p != 0 ? column - 1 : column) : (p == 0 ? column - 1 : column);
    return GetCell(chosen, row);
}

bool CGrid::Fits(const CellMask& mask, int c, int r) const
{
    for (int dc = 0; dc < 5; ++dc)
        for (int dr = 0; dr < 5; ++dr) {
            if (!mask[dc * 5 + dr])
                continue;
            const CGridCell* cell = GetCell(c + dc, r + dr);
            if (!cell || !cell->enabled || !cell->free)
                return false;
        }
    return true;
}

void CGrid::TakeCell(int c, int r, bool& pearlTaken)
{
    CGridCell* cell = GetCell(c, r);
    if (!cell || !cell->enabled || !cell->free)
        throw std::runtime_error("Ошибка при вставке элемента!");
    cell->free = false;
    for (size_t i = 0; i < mPearls.size();) {
        CGridPearl& gp = *mPearls[i];
        if (gp.pearl.IsShown() && gp.x == c && gp.y == r) {
            pearlTaken = true;
            mPearls.erase(mPearls.begin() + i);
            if (BoardEvents())
                BoardEvents()->OnPearlCollected();
        } else {
            ++i;
        }
    }
}

bool CGrid::InsertElement(const CElement& element, bool* pearlTaken, bool* outside)
{
    bool taken = false, out = false;
    if (pearlTaken)
        *pearlTaken = false;
    if (outside)
        *outside = false;
    if (element.IsRotating() || !element.GetType())
        return false;
    if (element.GetPosition().x < mOffset.x) {
        if (outside)
            *outside = true;
        return false;
    }
    FPoint origin = element.GetMaskOrigin();
    double rx = origin.x - mOffset.x, ry = origin.y - mOffset.y;
    auto nearest = [](double u) {
        double f = std::floor(u);
        return static_cast<int>(u - f >= 0.5 ? f + 1 : f);
    };
    int col0 = nearest(rx / 20), row0 = nearest(ry / 35);
    int c = col0, r = row0;
    if (((col0 + row0) % 2 + 2) % 2 != 0) {
        const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        double best = -1;
        for (const auto& s : steps) {
            int nc = col0 + s[0], nr = row0 + s[1];
            double ddx = rx - nc * 20.0, ddy = ry - nr * 35.0;
            double d = ddx * ddx + ddy * ddy;
            if (best < 0 || d < best)
                best = d, c = nc, r = nr;
        }
    }
    double dx = rx - c * 20.0, dy = ry - r * 35.0;
    const CellMask& mask = element.GetShape();
    auto anyOnBoard = [&]() {
        for (int dc = 0; dc < 5; ++dc)
            for (int dr = 0; dr < 5; ++dr)
                if (mask[dc * 5 + dr]) {
                    const CGridCell* cell = GetCell(c + dc, r + dr);
                    if (cell && cell->enabled)
                        return true;
                }
        return false;
    };
    CElement& caller = const_cast<CElement&>(element);
    if (std::fabs(dx) > 18 || std::fabs(dy) > 15.5 || !Fits(mask, c, r)) {
        out = !anyOnBoard();
        caller.NotifyInserted(false);
        if (outside)
            *outside = out;
        return false;
    }
    mElements.push_back(std::make_unique<CGridElement>(element, c, r));
    CElement& placed = mElements.back()->element;
    FPoint centre = element.GetCenter(), extra = element.GetOffset();
    placed.MoveTo(FPoint(mOffset.x + c * 20 + centre.x + extra.x, mOffset.y + r * 35 + centre.y + extra.y));
    for (int dc = 0; dc < 5; ++dc)
        for (int dr = 0; dr < 5; ++dr)
            if (mask[dc * 5 + dr])
                TakeCell(c + dc, r + dr, taken);
    if (pearlTaken)
        *pearlTaken = taken;
    placed.NotifyInserted(true);
    placed.AwardInsertion();
    UpdateCompletion();
    return true;
}

bool CGrid::CanPlaceAnywhere(CElement& element) const
{
    int rotation, c, r;
    return FindFit(element, rotation, c, r);
}

bool CGrid::FindFit(const CElement& element, int& rotation, int& column, int& row) const
{
    const CElementType* type = element.GetType();
    if (!type)
        return false;
    // Free enabled cells of each column as row bits: a placement is then a few masked compares.
    std::array<uint32_t, kColumns> open{};
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < kRows; ++r) {
            const CGridCell& cell = mCells[c * kRows + r];
            if (cell.enabled && cell.free)
                open[c] |= 1u << r;
        }
    const int start = element.GetRotation();
    for (int step = 1; step <= 6; ++step) {
        int k = (start + step) % 6;
        auto cols = MaskColumns(type->masks[k % type->positions]);
        int lastCol = 0, height = 0;
        for (int dc = 0; dc < 5; ++dc)
            if (cols[dc]) {
                lastCol = dc;
                for (int dr = 0; dr < 5; ++dr)
                    if (cols[dc] & (1u << dr))
                        height = std::max(height, dr + 1);
            }
        for (int c = 0; c + lastCol < kColumns; ++c)
            for (int r = c % 2; r + height <= kRows; r += 2) {
                bool fits = true;
                for (int dc = 0; dc <= lastCol && fits; ++dc) {
                    uint32_t need = cols[dc] << r;
                    fits = (open[c + dc] & need) == need;
                }
                if (fits) {
                    rotation = k, column = c, row = r;
                    return true;
                }
            }
    }
    return false;
}

bool CGrid::RemoveElement(const CElement* element)
{
    for (size_t i = 0; i < mElements.size(); ++i) {
        CGridElement& ge = *mElements[i];
        if (&ge.element != element)
            continue;
        const CellMask& mask = ge.element.GetShape();
        for (int dc = 0; dc < 5; ++dc)
            for (int dr = 0; dr < 5; ++dr)
                if (mask[dc * 5 + dr])
                    if (CGridCell* cell = GetCell(ge.x + dc, ge.y + dr))
                        cell->free = true;
        mElements.erase(mElements.begin() + i);
        mIsFull = false;
        UpdateCompletion();
        return true;
    }
    return false;
}

CElement* CGrid::ElementAt(int x, int y)
{
    for (auto& ge : mElements)
        if (ge->element.HitTest(static_cast<float>(x), static_cast<float>(y), 0))
            return &ge->element;
    return nullptr;
}

void CGrid::UpdateCompletion()
{
    int enabled = 0, occupied = 0;
    for (const auto& cell : mCells) {
        enabled += cell.enabled;
        occupied += !cell.free;
    }
    // A board without cells has nothing to fill; it counts as empty rather than dividing by zero.
    mCompletePercents = enabled > 0 ? static_cast<float>(occupied) / enabled : 0.0f;
    for (auto& gp : mPearls) {
        if (gp->pearl.IsDead() || gp->pearl.IsShown())
            continue;
        if (gp->min_percent > mCompletePercents || occupied == enabled || enabled == 0)
            continue;
        gp->pearl.SetShown(true);
        int n = Olvarn::Rand() % (enabled - occupied);
        for (int i = 0; i < kCells; ++i) {
            const CGridCell& cell = mCells[i];
            if (!cell.enabled || !cell.free)
                continue;
            if (n-- == 0) {
                gp->x = i / kRows;
                gp->y = i % kRows;
                gp->pearl.SetPosition(cell.center);
                break;
            }
        }
    }
}

void CGrid::AddPearl()
{
    auto gp = std::make_unique<CGridPearl>();
    gp->min_percent = (Olvarn::Rand() % 50 + 20) / 100.0f;
    mPearls.push_back(std::move(gp));
}

void CGrid::Update(float ms)
{
    if (mBackground.mFadeTotal != 0) {
        mBackground.mFadeLeft -= ms;
        if (mBackground.mFadeLeft < 0)
            mBackground.mFadeLeft = 0;
    }
    for (auto& ge : mElements)
        ge->element.Update(ms, ms);
    for (auto& gp : mPearls)
        if (!gp->pearl.IsDead())
            gp->pearl.Update(ms);
    for (size_t i = 0; i < mPearls.size();)
        if (mPearls[i]->pearl.IsDead())
            mPearls.erase(mPearls.begin() + i);
        else
            ++i;
    mIsFull = true;
    for (const auto& cell : mCells)
        if (cell.enabled && cell.free)
            mIsFull = false;
    mBlinkTimer -= ms;
    if (mBlinkTimer <= 0 && !mElements.empty()) {
        mElements[Olvarn::Rand() % mElements.size()]->element.AddBlink(static_cast<float>(gBlinkTime));
        mBlinkTimer = static_cast<float>(gMaxBlinkPause);
    }
}

void CGrid::FlashElementsInSequence(int first, int last)
{
    if (mElements.empty())
        return;
    float step = static_cast<float>(last - first) / mElements.size();
    for (size_t i = 0; i < mElements.size(); ++i)
        mElements[i]->element.AddDelayedOnInsertEffect(first + i * step);
}

void CGrid::FadeOutElements(int ms)
{
    mBackground.mFadeTotal = mBackground.mFadeLeft = static_cast<float>(ms);
    for (auto& ge : mElements)
        ge->element.FadeOut(ms);
}

} // namespace tilvan
