// How the board shows itself: its outline rendered once into a picture with a soft halo, then each
// frame that picture, the placed pieces and the pearls; and the debug overlay of occupied cells.
#include <cmath>
#include <map>
#include <vector>

#include "board/CGrid.h"
#include "core/Color.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

namespace tilvan
{

namespace
{
bool Present(const std::array<CGridCell, 800>& cells, int c, int r)
{
    return c >= 0 && c < CGrid::kColumns && r >= 0 && r < CGrid::kRows && cells[c * CGrid::kRows + r].enabled;
}

// Alpha of the 21 x 21 box mean times 1.5, white, for the pixels at least 10 from the border.
void WriteHalo(const uint32_t* src, uint32_t* dst, int width, int height)
{
    if (width <= 20 || height <= 20)
        return;
    // Summed alpha over the rectangle from (0, 0) to (x, y) exclusive.
    std::vector<uint32_t> sum(static_cast<size_t>(width + 1) * (height + 1), 0);
    for (int y = 0; y < height; ++y) {
        uint32_t row = 0;
        for (int x = 0; x < width; ++x) {
            row += src[y * width + x] >> 24;
            sum[(y + 1) * (width + 1) + x + 1] = sum[y * (width + 1) + x + 1] + row;
        }
    }
    for (int y = 10; y < height - 10; ++y)
        for (int x = 10; x < width - 10; ++x) {
            int x0 = x - 10, y0 = y - 10, x1 = x + 11, y1 = y + 11;
            uint32_t s = sum[y1 * (width + 1) + x1] - sum[y0 * (width + 1) + x1] - sum[y1 * (width + 1) + x0] +
                         sum[y0 * (width + 1) + x0];
            int a = static_cast<int>((s / 441) * 1.5);
            if (a > 255)
                a = 255;
            dst[y * width + x] = (static_cast<uint32_t>(a) << 24) | 0xFFFFFF;
        }
}
} // namespace

CGridBackground::CGridBackground() = default;
CGridBackground::~CGridBackground() = default;

void CGridBackground::Build(const std::array<CGridCell, 800>& cells, FPoint offset)
{
    mImage.reset();
    int minC = CGrid::kColumns, maxC = 0, minR = CGrid::kRows, maxR = 0;
    bool any = false;
    for (int c = 0; c < CGrid::kColumns; ++c)
        for (int r = 0; r < CGrid::kRows; ++r)
            if (cells[c * CGrid::kRows + r].enabled) {
                any = true;
                minC = std::min(minC, c), maxC = std::max(maxC, c);
                minR = std::min(minR, r), maxR = std::max(maxR, r);
            }
    // A board without cells has no outline to show.
    if (!any)
        return;
    int width = (maxC - minC + 4) * 20, height = (maxR - minR + 3) * 35;
    mPosition = FPoint(offset.x - 20 + minC * 20, offset.y - 35 + minR * 35);
    FPoint shift(20.0f - minC * 20, 35.0f - minR * 35);
    auto result = std::make_unique<Olvarn::MemoryImage>();
    result->Create(width, height);
    Olvarn::MemoryImage temp;
    temp.Create(width, height);
    {
        Olvarn::Graphics g(&temp);
        DrawCells(g, cells, shift);
    }
    WriteHalo(temp.GetBits(), result->GetBits(), width, height);
    result->BitsChanged();
    {
        Olvarn::Graphics g(result.get());
        g.DrawImage(&temp, 0, 0);
    }
    mImage = std::move(result);
}

std::vector<const char*> CGridBackground::CellPictures(const std::array<CGridCell, 800>& cells, int c, int r)
{
    std::vector<const char*> ids;
    const CGridCell& cell = cells[c * CGrid::kRows + r];
    if (!cell.enabled)
        return ids;
    if (cell.up) {
        ids.push_back("IMAGE_GRID_TRI_UP");
        if (!Present(cells, c - 1, r))
            ids.push_back("IMAGE_GRID_TRI_EDGE03");
        if (!Present(cells, c + 1, r))
            ids.push_back("IMAGE_GRID_TRI_EDGE02");
        if (!Present(cells, c, r + 1))
            ids.push_back("IMAGE_GRID_TRI_EDGE01");
    } else {
        ids.push_back("IMAGE_GRID_TRI_DOWN");
        if (!Present(cells, c - 1, r))
            ids.push_back("IMAGE_GRID_TRI_EDGE06");
        if (!Present(cells, c + 1, r))
            ids.push_back("IMAGE_GRID_TRI_EDGE05");
        if (!Present(cells, c, r - 1))
            ids.push_back("IMAGE_GRID_TRI_EDGE04");
    }
    return ids;
}

void CGridBackground::DrawCells(Olvarn::Graphics& g, const std::array<CGridCell, 800>& cells, FPoint shift)
{
    std::map<const char*, Olvarn::Image*> pictures;
    for (int c = 0; c < CGrid::kColumns; ++c)
        for (int r = 0; r < CGrid::kRows; ++r) {
            int x = static_cast<int>(c * 20 + shift.x), y = static_cast<int>(r * 35 + shift.y);
            for (const char* id : CellPictures(cells, c, r)) {
                auto it = pictures.find(id);
                if (it == pictures.end())
                    it = pictures.emplace(id, FindBoardImage(id)).first;
                if (it->second)
                    g.DrawImage(it->second, x, y);
            }
        }
}

int CGridBackground::FadeAlpha() const
{
    if (mFadeTotal == 0)
        return -1;
    int a = static_cast<int>(std::ceil(mFadeLeft * 255 / mFadeTotal));
    return a < 0 ? 0 : (a > 255 ? 255 : a);
}

void CGridBackground::Draw(Olvarn::Graphics& g)
{
    if (!mImage)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    int alpha = FadeAlpha();
    if (alpha >= 0) {
        g.SetModulateImages(true);
        g.SetColor(Olvarn::Color(255, 255, 255, alpha));
    }
    g.DrawImage(mImage.get(), static_cast<int>(mPosition.x), static_cast<int>(mPosition.y));
}

void CGrid::Draw(Olvarn::Graphics& g)
{
    mBackground.Draw(g);
    for (auto& ge : mElements)
        ge->element.Draw(g);
    for (auto& gp : mPearls)
        gp->pearl.Draw(g);
}

void CGrid::DrawOverlay(Olvarn::Graphics& g)
{
    Olvarn::GraphicsStateSaver saver(g);
    g.SetModulateImages(true);
    Olvarn::Image* up = FindBoardImage("IMAGE_GRID_TRI_UP");
    Olvarn::Image* down = FindBoardImage("IMAGE_GRID_TRI_DOWN");
    for (const auto& cell : mCells) {
        if (cell.free)
            continue;
        Olvarn::Image* image = cell.up ? up : down;
        if (!image)
            continue;
        g.SetColor(Olvarn::Color(0, 0, 0, 128));
        int cx = static_cast<int>(cell.center.x), cy = static_cast<int>(cell.center.y + (cell.up ? -5 : 5));
        g.DrawImage(image, cx - image->GetWidth() / 2, cy - image->GetHeight() / 2);
    }
}

} // namespace tilvan
