// The animated image object.
#include "shell/CImage.h"

#include <algorithm>
#include <cmath>

#include <lua.hpp>
#include <luabind/luabind.hpp>

#include "core/Random.h"
#include "data/CXmlDataReader.h"
#include "data/CXmlDataWriter.h"
#include "data/DataValues.h"
#include "graphics/DDImage.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/Transform2D.h"
#include "shell/GameServices.h"

namespace tilvan
{

namespace
{

constexpr const char* kUnknownId = "UNKNOWN ID";

using services::FindImage;

} // namespace

namespace
{

constexpr const char* kSavedAttributes[] = {"pos", "time", "flags", "dimensions", "scale", "size", "id"};

} // namespace

void CImage::DeclareReaderSchema(CXmlDataReader& reader)
{
    reader.DeclareElement(kElement);
    for (const char* attribute : kSavedAttributes)
        reader.DeclareAttribute(kElement, attribute, "");
}

void CImage::DeclareWriterSchema(CXmlDataWriter& writer)
{
    writer.DeclareElement(kElement);
    for (const char* attribute : kSavedAttributes)
        writer.DeclareAttribute(kElement, attribute);
}

int CImage::Save()
{
    return save::SaveWriter().WriteRow(kElement, position, time, flags, dimensions, scale, size, id);
}

void CImage::Load(int row)
{
    save::SaveReader().GetRow(kElement, row, position, time, flags, dimensions, scale, size, id);
    if (Olvarn::Image* loaded = FindImage(id))
        image = loaded;
}

CImage::CImage(const std::string& resourceId, int x, int y)
    : image(FindImage(resourceId)), position(float(x), float(y)), id(resourceId)
{
    ComputeDimensions();
}

CImage::CImage(Olvarn::Image* image_, int x, int y) : image(image_), position(float(x), float(y)), id(kUnknownId)
{
    ComputeDimensions();
}

void CImage::SetImage(const std::string& resourceId)
{
    image = FindImage(resourceId);
    id = resourceId;
    ComputeDimensions();
}

void CImage::SetImage(Olvarn::Image* image_)
{
    image = image_;
    id = kUnknownId;
    ComputeDimensions();
}

CImage& CImage::operator=(const std::string& resourceId)
{
    SetImage(resourceId);
    time = 0;
    playOnce = false;
    return *this;
}

CImage& CImage::operator=(Olvarn::Image* image_)
{
    SetImage(image_);
    time = 0;
    playOnce = false;
    return *this;
}

void CImage::SetPosition(int x, int y)
{
    position = Olvarn::OlvarnVector2(float(x), float(y));
}

void CImage::SetScale(float value)
{
    if (value != scale) {
        scale = value;
        ComputeDimensions();
    }
}

void CImage::SetAlpha(int value)
{
    alpha = std::clamp(value, 0, 255);
}

void CImage::ComputeDimensions()
{
    if (!image) {
        dimensions = Olvarn::OlvarnVector2(1, 1);
        return;
    }
    dimensions = Olvarn::OlvarnVector2(std::floor(float(image->GetCellWidth()) * scale),
                                       std::floor(float(image->GetCellHeight()) * scale));
}

void CImage::Update(float ms)
{
    time += ms;
    if (image && image->mAnimation && playOnce && time >= float(image->mAnimation->mTotalAnimTime)) {
        flags |= STOP_ANIMATION;
        time = 0;
        playOnce = false;
    }
}

int CImage::FrameCount() const
{
    if (!image || !image->mAnimation)
        return 0;
    const Olvarn::ImageAnimation& a = *image->mAnimation;
    return a.mFrameMap.empty() ? a.mNumFrames : int(a.mFrameMap.size());
}

int CImage::CurrentFrame() const
{
    if (!image)
        return -1;
    if (!image->mAnimation)
        return 0;
    const Olvarn::ImageAnimation& a = *image->mAnimation;
    if (a.mType == Olvarn::ImageAnimation::TYPE_ONCE && time >= float(a.mTotalAnimTime))
        return a.mFrameMap.empty() ? a.mNumFrames - 1 : int(a.mFrameMap.size()) - 1;
    int t = a.mTotalAnimTime > 0 ? int(time) % a.mTotalAnimTime : 0;
    if (!a.mPerFrameDelay.empty())
        return a.FindFrameByDelays(t);
    int count = std::max(1, FrameCount());
    return (t / std::max(1, a.mFrameDelay)) % count;
}

int CImage::MapFrame(int frame) const
{
    const Olvarn::ImageAnimation& a = *image->mAnimation;
    if (!a.mFrameMap.empty() && frame >= 0 && frame < int(a.mFrameMap.size()))
        return a.mFrameMap[size_t(frame)];
    return frame;
}

int CImage::CellForTime() const
{
    int cell = 0;
    if (image->mAnimation && !(flags & STOP_ANIMATION))
        cell = image->GetAnimationCell(int(time));
    if (flags & BACKWARD_ANIMATION)
        cell = image->mNumCols - 1 - cell;
    return cell;
}

void CImage::Draw(Olvarn::Graphics& g)
{
    DrawAt(g, int(position.x), int(position.y));
}

CImage::Blend CImage::SmoothBlend() const
{
    Blend blend;
    const Olvarn::ImageAnimation& a = *image->mAnimation;
    int frame = CurrentFrame();
    int count = std::max(1, FrameCount());
    int length = a.mFrameDelay;
    float elapsed = time;
    if (!a.mPerFrameDelay.empty()) {
        length = frame >= 0 && frame < int(a.mPerFrameDelay.size()) ? a.mPerFrameDelay[size_t(frame)] : 1;
        for (int i = 0; i < frame && i < int(a.mPerFrameDelay.size()); ++i)
            elapsed -= float(a.mPerFrameDelay[size_t(i)]);
    }
    length = std::max(1, length);
    int part = int(float(int(elapsed) % length) / float(length) * 255.0f);
    blend.weight = std::clamp(255 - part, 0, 255);
    blend.previous = MapFrame(frame > 0 ? frame - 1 : count - 1);
    blend.next = MapFrame(frame + 1 < count ? frame + 1 : 0);
    return blend;
}

uint64_t CImage::Appearance() const
{
    if (!image)
        return 0;
    // Cells and frames are far fewer than 4096.
    auto field = [](int value, int bits, int shift) {
        return (uint64_t(uint32_t(value)) & ((1u << bits) - 1)) << shift;
    };
    uint64_t key = uint64_t(1) << 63 | field(CellForTime(), 12, 0) | field(alpha, 8, 12);
    if (image->mAnimation && (flags & SMOOTH_ANIMATION)) {
        Blend blend = SmoothBlend();
        key |= field(blend.weight + 1, 9, 20) | field(blend.previous, 12, 29) | field(blend.next, 12, 41);
    }
    return key;
}

void CImage::DrawAt(Olvarn::Graphics& g, int x, int y)
{
    if (!image)
        return;
    int cell = CellForTime();
    bool smooth = image->mAnimation && (flags & SMOOTH_ANIMATION);
    Blend blend;
    if (smooth) {
        blend = SmoothBlend();
        g.SetModulateImages(true);
        g.SetColor(Olvarn::Color(255, 255, 255, blend.weight));
        DrawFrame(g, x, y, blend.previous);
        g.SetModulateImages(false);
    }
    DrawFrame(g, x, y, cell);
    if (smooth) {
        g.SetModulateImages(true);
        g.SetColor(Olvarn::Color(255, 255, 255, 255 - blend.weight));
        if (255 - blend.weight != 0)
            DrawFrame(g, x, y, blend.next);
        g.SetModulateImages(false);
    }
}

void CImage::DrawFrame(Olvarn::Graphics& g, int x, int y, int cell)
{
    if (!image)
        return;
    Olvarn::GraphicsStateSaver saver(g);
    if (alpha != 255) {
        g.SetModulateImages(true);
        g.SetColor(Olvarn::Color(255, 255, 255, alpha));
    }
    Olvarn::Rect source = image->GetCellRect(cell);
    int w = source.mWidth, h = source.mHeight;
    if (size.x != 0 && size.y != 0) {
        w = int(size.x);
        h = int(size.y);
    }
    if (scale != 1.0f) {
        w = int(std::floor(float(w) * scale));
        h = int(std::floor(float(h) * scale));
    }
    if (flags & CENTER_POS) {
        x -= w / 2;
        y -= h / 2;
    }
    Olvarn::Rect dest(x, y, w, h);
    if (flags & BOX_IMAGE)
        g.DrawNineGridRegion(source, dest, image);
    else if (flags & MIRRORED)
        g.DrawImageMirrored(image, dest, source, true);
    else if (w == source.mWidth && h == source.mHeight)
        g.DrawImageRegion(image, x, y, source); // a stretch to its own size would only cost a scratch copy
    else
        g.DrawImageRegionScaled(image, dest, source);
}

void CImage::DrawRotated(Olvarn::Graphics& g, int x, int y, double angle, int cx, int cy)
{
    if (!image)
        return;
    if (angle == 0) {
        DrawAt(g, x, y);
        return;
    }
    Olvarn::GraphicsStateSaver saver(g);
    if (alpha != 255) {
        g.SetModulateImages(true);
        g.SetColor(Olvarn::Color(255, 255, 255, alpha));
    }
    int cell = CellForTime();
    Olvarn::Rect source = image->GetCellRect(cell);
    int cw = source.mWidth, ch = source.mHeight;
    if (scale == 1.0f) {
        if (flags & CENTER_POS) {
            x -= cw / 2;
            y -= ch / 2;
            if (cx == -1 && cy == -1) {
                cx = cw / 2;
                cy = ch / 2;
            }
        }
        if (cx != -1 && cy != -1)
            g.DrawImageRotatedAroundInt(image, x, y, angle, cx, cy, &source);
        else
            g.DrawImageRotatedInt(image, x, y, angle, &source);
        return;
    }
    if (!(flags & CENTER_POS)) {
        x += cw / 2;
        y += ch / 2;
    }
    Olvarn::Transform2D transform;
    transform.Rotate(float(angle));
    float sx = 1, sy = 1;
    if (size.x != 0 && size.y != 0 && cw != 0 && ch != 0) {
        sx = size.x / float(cw);
        sy = size.y / float(ch);
    }
    sx *= scale;
    sy *= scale;
    if (sx != 1.0f && sy != 1.0f)
        transform.Scale(sx, sy);
    transform.Translate(float(x), float(y));
    g.DrawImageTransformedSnapped(image, transform, source, 0, 0);
}

void CImage::RandomizeTime()
{
    if (image && image->mAnimation && image->mAnimation->mTotalAnimTime > 0)
        time = float(Olvarn::Rand() % image->mAnimation->mTotalAnimTime);
}

void CImage::PlayAnimationOnce()
{
    playOnce = true;
    time = 0;
    flags &= ~STOP_ANIMATION;
}

void CImage::RegisterLuaClass(lua_State* L)
{
    using namespace luabind;
    module(L)[class_<CImage>("image_class")
                  .def(constructor<const std::string&>())
                  .enum_("flags")[value("backward_animation", BACKWARD_ANIMATION), value("mirrored", MIRRORED),
                                  value("stop_animation", STOP_ANIMATION), value("box_image", BOX_IMAGE),
                                  value("center_pos", CENTER_POS), value("smooth_animation", SMOOTH_ANIMATION)]
                  .def("get_dimensions", static_cast<Olvarn::OlvarnVector2& (CImage::*)()>(&CImage::GetDimensions))
                  .def("set_flags", &CImage::SetFlags)
                  .def("get_flags", &CImage::GetFlags)
                  .def("add_flags", &CImage::AddFlags)
                  .def("rem_flags", &CImage::RemoveFlags)
                  .def("set_size", &CImage::SetSize)
                  .def("get_size", &CImage::GetSize)
                  .def("randomize_time", &CImage::RandomizeTime)
                  .def("set_time", &CImage::SetTime)
                  .def("play_animation_once", &CImage::PlayAnimationOnce)
                  .def("is_animating_once", &CImage::IsAnimatingOnce)
                  .property("scale", &CImage::GetScale, &CImage::SetScale)
                  .property("alpha", &CImage::GetAlpha, &CImage::SetAlpha)];
}

} // namespace tilvan
