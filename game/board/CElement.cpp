// A playing piece: rotation, the timed motions, effects, hit tests and drawing with its lights.
#include "board/CElement.h"

#include <cmath>
#include <map>
#include <memory>
#include <stdexcept>
#include <tuple>

#include "board/BonusKinds.h"
#include "core/Color.h"
#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "shell/CHintRegistry.h"

namespace tilvan
{

namespace
{
bool g3D = false;
bool gTurnCache = true;
const std::vector<CBoardLight>* gLights = nullptr;
const double kSqrt3 = std::sqrt(3.0);
// A picture turned by one of the five rotation steps, rendered once: pieces at rest are drawn at these
// angles every frame, and a plain blit of the turned copy costs a fraction of turning it each time.
// The copy is drawn at a whole-pixel shift of the turned draw, so it samples the same source pixels.
struct TurnedPicture {
    std::unique_ptr<Olvarn::MemoryImage> image;
    int dx = 0, dy = 0;
};

// Keyed by the picture's resource id, not its address: a group unloaded and loaded again gives the
// same picture another address (or its old address to another picture).
std::map<std::tuple<std::string, int, int, int>, TurnedPicture>& TurnedCache()
{
    static std::map<std::tuple<std::string, int, int, int>, TurnedPicture> cache;
    return cache;
}

const TurnedPicture* Turned(Olvarn::Image* picture, const std::string& id, int rotation, int cx, int cy)
{
    auto& cache = TurnedCache();
    auto key = std::make_tuple(id, rotation, cx, cy);
    auto it = cache.find(key);
    if (it != cache.end())
        return &it->second;
    double a = rotation * -static_cast<double>(CElement::kAngleStep);
    double c = std::cos(a), s = std::sin(a);
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    const double corners[4][2] = {{0, 0},
                                  {double(picture->GetWidth()), 0},
                                  {double(picture->GetWidth()), double(picture->GetHeight())},
                                  {0, double(picture->GetHeight())}};
    for (const auto& p : corners) {
        double px = p[0] - cx, py = p[1] - cy;
        double X = cx + px * c + py * s, Y = cy - px * s + py * c;
        minX = std::min(minX, X), maxX = std::max(maxX, X);
        minY = std::min(minY, Y), maxY = std::max(maxY, Y);
    }
    TurnedPicture turned;
    turned.dx = static_cast<int>(std::floor(minX)) - 1;
    turned.dy = static_cast<int>(std::floor(minY)) - 1;
    int w = static_cast<int>(std::ceil(maxX)) - turned.dx + 2, h = static_cast<int>(std::ceil(maxY)) - turned.dy + 2;
    turned.image = std::make_unique<Olvarn::MemoryImage>();
    turned.image->Create(w, h);
    {
        Olvarn::Graphics g(turned.image.get());
        g.DrawImageRotatedAroundInt(picture, -turned.dx, -turned.dy, a, cx, cy);
    }
    return &cache.emplace(key, std::move(turned)).first->second;
}

} // namespace

void CElement::SetUse3D(bool on)
{
    g3D = on;
}

void CElement::SetTurnedPictureCache(bool on)
{
    gTurnCache = on;
}

void CElement::ClearTurnedPictures()
{
    TurnedCache().clear();
}
bool CElement::Uses3D()
{
    return g3D;
}
void CElement::SetLights(const std::vector<CBoardLight>* lights)
{
    gLights = lights;
}

CElement::CElement(int typeId, int bonusKind)
    : mId(typeId), mBonus(bonusKind), mControl(std::make_shared<lua_private::control_id>(-1))
{
    // Pieces of type 0 never carry a bonus; "random" is drawn here, once, when the piece is made.
    if (mId == 0)
        mBonus = kBonusNone;
    else if (mBonus == kBonusRandom)
        mBonus = DrawBonusForNewPiece();
    if (mBonus != 0 && element_effects::EffectMakers().bonus)
        AddEffect(element_effects::EffectMakers().bonus(*this));
}

CElement::~CElement() = default;

int CElement::GetControlId() const
{
    return mControl->id;
}

void CElement::SetPosition(float x, float y)
{
    mPos = FPoint(x, y);
    // The hint follows the piece in whole pixels.
    mControl->SetPosition(static_cast<float>(static_cast<int>(x)), static_cast<float>(static_cast<int>(y)));
}

const CElementType& CElement::RequireType() const
{
    const CElementType* type = GetType();
    if (!type)
        throw std::runtime_error("Element without type");
    return *type;
}

const std::array<CellMask, 6>& CElement::GetShapes() const
{
    return RequireType().masks;
}
const CellMask& CElement::GetShape() const
{
    const auto& t = RequireType();
    return t.masks[mRotation % t.positions];
}
const std::array<FPoint, 6>& CElement::GetCenters() const
{
    return RequireType().centers;
}
FPoint CElement::GetCenter() const
{
    const auto& t = RequireType();
    return t.centers[mRotation % t.positions];
}
FPoint CElement::GetImageCenter() const
{
    return RequireType().image_center;
}
FPoint CElement::GetOffset() const
{
    return RequireType().offsets[mRotation];
}
int CElement::GetSinkDepth() const
{
    return RequireType().sink_depth;
}

FPoint CElement::GetMaskOrigin() const
{
    if (!GetType())
        return FPoint();
    FPoint c = GetCenter();
    return FPoint(mPos.x - c.x, mPos.y - c.y + kRowHeight);
}

int CElement::GetWidth() const
{
    return GetType() ? GetType()->width : 0;
}
int CElement::GetPositions() const
{
    return GetType() ? GetType()->positions : 0;
}
int CElement::GetPositionIndex() const
{
    return GetType() ? mRotation % GetType()->positions : 0;
}
Olvarn::Image* CElement::GetImage() const
{
    return GetType() ? GetType()->Picture() : nullptr;
}

void CElement::MoveTo(FPoint target)
{
    mIsMoving = true;
    mTargetPos = target;
    float dx = target.x - mPos.x, dy = target.y - mPos.y;
    float len = std::sqrt(dx * dx + dy * dy);
    if (std::fabs(len) <= 0.01f)
        len = 1;
    mSpeed = FPoint(dx * kMoveSpeed / len, dy * kMoveSpeed / len);
}

void CElement::StartTurn(int sign)
{
    if (!GetType() || mIsRotating)
        return;
    mIsRotating = true;
    mTimeLeft = kTurnTime;
    mRotateSign = sign;
    mFAngle = -mRotation * 3.1415f / 3;
}

void CElement::SetTremble(bool on)
{
    if (on && !mIsTremble) {
        mAddAngle = 0;
        float length = static_cast<float>(Olvarn::Rand() % 150 + 450);
        mTrembleTime = (Olvarn::Rand() % 2) ? -length : length;
        mTrembleTimeLeft = std::fabs(mTrembleTime);
    }
    mIsTremble = on;
    if (!on)
        mAddAngle = 0;
}

void CElement::FadeOut(int ms)
{
    mFading = true;
    mFadeTotal = ms;
    mFadeLeft = static_cast<float>(ms);
    mEffects.clear();
}

float CElement::GetAngle() const
{
    float a = mIsRotating ? mFAngle : mRotation * -kAngleStep;
    if (g3D)
        a += mAddAngle;
    return a;
}

void CElement::UpdateFade(float ms)
{
    if (!mFading)
        return;
    mFadeLeft -= ms;
    if (mFadeLeft > 0 && mFadeTotal > 0) {
        int a = static_cast<int>(mFadeLeft / mFadeTotal * 255);
        mAlpha = a < 0 ? 0 : (a > 255 ? 255 : a);
    } else {
        mFading = false;
        mAlpha = 0;
    }
}

void CElement::UpdateTurn(float ms)
{
    if (!mIsRotating)
        return;
    mTimeLeft -= ms;
    if (mTimeLeft > 0) {
        mFAngle = ((1 - mTimeLeft / kTurnTime) * mRotateSign + mRotation) * -3.1415f / 3;
        return;
    }
    int r = mRotation + mRotateSign;
    mRotation = r >= 6 ? 0 : (r < 0 ? 5 : r);
    mFAngle = -mRotation * 3.1415f / 3;
    mIsRotating = false;
}

void CElement::UpdateMove(float ms)
{
    if (!mIsMoving)
        return;
    SetPosition(mPos.x + mSpeed.x * ms / 1000, mPos.y + mSpeed.y * ms / 1000);
    float rx = mTargetPos.x - mPos.x, ry = mTargetPos.y - mPos.y;
    bool done = (rx >= 0 && mSpeed.x <= 0) || (rx <= 0 && mSpeed.x >= 0) || (ry >= 0 && mSpeed.y <= 0) ||
                (ry <= 0 && mSpeed.y >= 0);
    if (done) {
        SetPosition(mTargetPos);
        mIsMoving = false;
    }
}

void CElement::UpdateTremble(float ms)
{
    if (!mIsTremble)
        return;
    mTrembleTimeLeft -= ms;
    if (mTrembleTimeLeft <= 0) {
        mTrembleTime = -mTrembleTime;
        mTrembleTimeLeft = std::fabs(mTrembleTime);
    }
    if (mTrembleTime != 0)
        mAddAngle = std::sin(mTrembleTimeLeft / mTrembleTime * 3.1415f) * kTrembleAmplitude;
}

void CElement::Update(float msA, float msB)
{
    mAnimTime += msB;
    mControl->Update(msA);
    UpdateFade(msB);
    UpdateTurn(msB);
    UpdateMove(msB);
    UpdateTremble(msA);
    std::vector<element_effects::EffectPtr> live;
    live.reserve(mEffects.size());
    for (auto& e : mEffects)
        if (!e->IsFinished())
            live.push_back(e);
    mEffects.swap(live);
    // An effect may add to the list while it runs; walk a copy of the pointers.
    auto running = mEffects;
    for (auto& e : running)
        e->Update(msA, *this);
}

void CElement::AddEffect(element_effects::EffectPtr effect)
{
    if (effect)
        mEffects.push_back(std::move(effect));
}

void CElement::AddBlink(float ms)
{
    if (element_effects::EffectMakers().blink)
        AddEffect(element_effects::EffectMakers().blink(*this, ms));
}

void CElement::AddDelayedOnInsertEffect(float delay)
{
    if (element_effects::EffectMakers().delayedOnInsert)
        AddEffect(element_effects::EffectMakers().delayedOnInsert(*this, delay));
}

void CElement::NotifyCreated()
{
    if (BoardEvents())
        BoardEvents()->OnCreateElement(*this);
}

void CElement::NotifyDropped()
{
    if (BoardEvents())
        BoardEvents()->OnDropElement(*this);
}

void CElement::NotifyPickedUp(bool fits, bool onWater)
{
    if (BoardEvents())
        BoardEvents()->OnPickupElement(*this, fits, onWater);
}

void CElement::NotifyInserted(bool inserted)
{
    if (inserted && element_effects::EffectMakers().onInsert)
        AddEffect(element_effects::EffectMakers().onInsert(*this));
    if (BoardEvents())
        BoardEvents()->OnInsertElement(*this, inserted);
}

void CElement::AwardInsertion()
{
    if (BoardEvents())
        BoardEvents()->AddScore(GetType() ? GetType()->score : 0);
    CollectBonus();
}

void CElement::CollectBonus()
{
    // What a collected bonus releases (its creature, score and tool) belongs to the bonus itself; here
    // the piece stops carrying it.
    if (mBonus == kBonusNone || mBonus == kBonusRandom)
        return;
    CollectBonusKind(*this);
    mBonus = 0;
}

void CElement::Draw(Olvarn::Graphics& g)
{
    const CElementType* type = GetType();
    if (!type)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    auto effects = mEffects;
    for (auto& e : effects)
        e->DrawBelow(g, *this);
    float x0 = mPos.x - type->image_center.x, y0 = mPos.y - type->image_center.y;
    float a = GetAngle();
    if (Olvarn::Image* picture = type->Picture()) {
        Olvarn::GraphicsStateSaver pictureState(g);
        if (mAlpha < 255) {
            g.SetModulateImages(true);
            g.SetColor(Olvarn::Color(255, 255, 255, mAlpha));
        }
        int cell = picture->GetAnimationCell(static_cast<int>(mAnimTime));
        Olvarn::Rect cellRect = picture->GetCellRect(cell);
        bool wholePicture = cellRect.mWidth == picture->GetWidth() && cellRect.mHeight == picture->GetHeight();
        bool atStep = !mIsRotating && a == mRotation * -kAngleStep;
        if (std::fabs(a) < 0.01f) {
            g.DrawImageCellByIndex(picture, static_cast<int>(x0), static_cast<int>(y0), cell);
        } else if (atStep && wholePicture && gTurnCache) {
            const TurnedPicture* t = Turned(picture, type->mImageId, mRotation, static_cast<int>(type->image_center.x),
                                            static_cast<int>(type->image_center.y));
            g.DrawImage(t->image.get(), static_cast<int>(x0) + t->dx, static_cast<int>(y0) + t->dy);
        } else {
            Olvarn::Rect src = picture->GetCellRect(cell);
            g.DrawImageRotatedAroundInt(picture, static_cast<int>(x0), static_cast<int>(y0), a,
                                        static_cast<int>(type->image_center.x), static_cast<int>(type->image_center.y),
                                        &src);
        }
    }
    if (g3D && gLights)
        for (const auto& light : *gLights)
            DrawLight(g, light);
    for (auto& e : effects)
        e->DrawAbove(g, *this);
}

CElement::LightCells CElement::LightCellsForDirection(int d)
{
    int A = 270 - d;
    A = ((A % 360) + 360) % 360;
    LightCells out;
    out.even = 2 * (A / 90);
    out.evenWeight = 1 - std::fabs(static_cast<float>(A % 90) - 45) / 45.01f;
    int B = A - 45;
    if (B < 0)
        B += 360;
    out.odd = 2 * (B / 90) + 1;
    out.oddWeight = 1 - std::fabs(static_cast<float>(B % 90) - 45) / 45.01f;
    return out;
}

void CElement::DrawLight(Olvarn::Graphics& g, const CBoardLight& light)
{
    const CElementType* type = GetType();
    Olvarn::Image* lightPicture = type ? type->LightPicture() : nullptr;
    if (!lightPicture)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    float a = GetAngle();
    float x0 = mPos.x - type->image_center.x, y0 = mPos.y - type->image_center.y;
    float rx = light.pos.x - mPos.x, ry = light.pos.y - mPos.y;
    if (std::fabs(a) > 0.01f) {
        float c = std::cos(a), s = std::sin(a);
        float nx = c * rx - s * ry, ny = s * rx + c * ry;
        rx = nx, ry = ny;
    }
    int d;
    if (std::fabs(rx) <= 0.01f) {
        d = ry >= 0 ? 90 : 270;
    } else {
        d = static_cast<int>(std::atan(ry / rx) / 3.1415f * 180);
        if (rx < 0)
            d += 180;
        if (d < 0)
            d += 360;
    }
    LightCells cells = LightCellsForDirection(d);
    float f = mAlpha / 255.0f;
    float wo = std::max(0.0f, cells.oddWeight * f), we = std::max(0.0f, cells.evenWeight * f);
    g.SetDrawMode(1);
    g.SetModulateImages(true);
    auto drawCell = [&](int cell, float weight) {
        g.SetColor(Olvarn::Color(light.r, light.g, light.b, static_cast<int>(light.a * weight)));
        if (a == 0) {
            g.DrawImageCellByIndex(lightPicture, static_cast<int>(x0), static_cast<int>(y0), cell);
        } else {
            Olvarn::Rect src = lightPicture->GetCellRect(cell);
            g.DrawImageRotatedAroundInt(lightPicture, static_cast<int>(x0), static_cast<int>(y0), a,
                                        static_cast<int>(type->image_center.x), static_cast<int>(type->image_center.y),
                                        &src);
        }
    };
    drawCell(cells.odd, wo);
    drawCell(cells.even, we);
}

bool CElement::HitTest(float px, float py, float reach) const
{
    if (!GetType())
        return false;
    if (reach != 0) {
        float dx = mPos.x - px, dy = mPos.y - py;
        float len = std::sqrt(dx * dx + dy * dy);
        if (len >= 1) {
            if (len < reach) {
                px = mPos.x, py = mPos.y;
            } else {
                px += dx * reach / len;
                py += dy * reach / len;
            }
        }
    }
    FPoint centre = GetCenter();
    float lx = px - (mPos.x - centre.x), ly = py - (mPos.y - centre.y);
    if (lx < 0 || ly < 0)
        return false;
    int c = static_cast<int>(lx / 20), r = static_cast<int>(ly / 35);
    if (c > 4 || r > 4)
        return false;
    double h = (r % 2 == 0) ? 35.0 * r : 35.0 * (r + 1);
    double l = 40.0 * (c / 2) + 20;
    double k = ((c % 2) == (r % 2)) ? 1 : -1;
    double v = ly - h + k * kSqrt3 * (lx - l);
    int m;
    if (c % 2 == 1)
        m = ((v < 0 && r % 2 == 1) || (v >= 0 && r % 2 == 0)) ? c - 1 : c;
    else
        m = ((v < 0 && r % 2 == 0) || (v >= 0 && r % 2 == 1)) ? c - 1 : c;
    if (m < 0 || m > 4)
        return false;
    return GetShape()[m * 5 + r];
}

} // namespace tilvan
