// librsvg and cairo behind the generator's picture type.
#include "Raster.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <filesystem>

#include "Util.h"

namespace datagen
{

Picture NewPicture(int width, int height)
{
    auto picture = std::make_unique<ImageLib::Image>();
    if (!picture->Create(width, height))
        Fail("cannot make a picture of " + std::to_string(width) + " x " + std::to_string(height));
    return picture;
}

Picture RenderSvg(const std::string& svg, int width, int height, const std::string& where)
{
    GError* error = nullptr;
    RsvgHandle* handle = rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &error);
    if (!handle) {
        std::string message = error ? error->message : "unknown error";
        if (error)
            g_error_free(error);
        Fail(where + ": SVG not readable: " + message);
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    RsvgRectangle viewport{0, 0, double(width), double(height)};
    gboolean ok = rsvg_handle_render_document(handle, cr, &viewport, &error);
    cairo_destroy(cr);
    g_object_unref(handle);
    if (!ok) {
        std::string message = error ? error->message : "unknown error";
        if (error)
            g_error_free(error);
        cairo_surface_destroy(surface);
        Fail(where + ": SVG not drawn: " + message);
    }
    cairo_surface_flush(surface);
    Picture picture = NewPicture(width, height);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
        uint32_t* out = picture->GetBits() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            uint32_t p = row[x];
            uint32_t a = p >> 24;
            if (a == 0) {
                out[x] = 0;
                continue;
            }
            // Cairo keeps premultiplied colour; the framework's pictures keep it straight.
            auto un = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
            out[x] = (a << 24) | (un((p >> 16) & 255) << 16) | (un((p >> 8) & 255) << 8) | un(p & 255);
        }
    }
    cairo_surface_destroy(surface);
    return picture;
}

void Place(ImageLib::Image& dst, const ImageLib::Image& src, int x, int y)
{
    for (int sy = 0; sy < src.GetHeight(); ++sy) {
        int dy = y + sy;
        if (dy < 0 || dy >= dst.GetHeight())
            continue;
        for (int sx = 0; sx < src.GetWidth(); ++sx) {
            int dx = x + sx;
            if (dx >= 0 && dx < dst.GetWidth())
                dst.GetBits()[size_t(dy) * dst.GetWidth() + dx] = src.GetBits()[size_t(sy) * src.GetWidth() + sx];
        }
    }
}

namespace
{

// A cairo surface holding the picture (cairo keeps premultiplied colour; the pictures keep it
// straight), and the way back.
cairo_surface_t* SurfaceOf(const ImageLib::Image& picture)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, picture.GetWidth(), picture.GetHeight());
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < picture.GetHeight(); ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
        const uint32_t* in = picture.GetBits() + size_t(y) * size_t(picture.GetWidth());
        for (int x = 0; x < picture.GetWidth(); ++x) {
            const uint32_t p = in[x], a = p >> 24;
            auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
            row[x] = (a << 24) | (pre((p >> 16) & 255) << 16) | (pre((p >> 8) & 255) << 8) | pre(p & 255);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

void CopyBack(cairo_surface_t* surface, ImageLib::Image& picture)
{
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < picture.GetHeight(); ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
        uint32_t* out = picture.GetBits() + size_t(y) * size_t(picture.GetWidth());
        for (int x = 0; x < picture.GetWidth(); ++x) {
            const uint32_t p = row[x], a = p >> 24;
            auto un = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
            out[x] = a ? (a << 24) | (un((p >> 16) & 255) << 16) | (un((p >> 8) & 255) << 8) | un(p & 255) : 0;
        }
    }
}

} // namespace

void Over(ImageLib::Image& dst, const ImageLib::Image& src, int x, int y)
{
    // Only the part of dst under src goes through cairo.
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(dst.GetWidth(), x + src.GetWidth()), y1 = std::min(dst.GetHeight(), y + src.GetHeight());
    if (x1 <= x0 || y1 <= y0)
        return;
    Picture part = NewPicture(x1 - x0, y1 - y0);
    for (int row = y0; row < y1; ++row)
        std::copy_n(dst.GetBits() + size_t(row) * dst.GetWidth() + x0, x1 - x0,
                    part->GetBits() + size_t(row - y0) * part->GetWidth());
    cairo_surface_t* target = SurfaceOf(*part);
    cairo_surface_t* source = SurfaceOf(src);
    cairo_t* cr = cairo_create(target);
    cairo_set_source_surface(cr, source, x - x0, y - y0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(source);
    CopyBack(target, *part);
    cairo_surface_destroy(target);
    Place(dst, *part, x0, y0);
}

Picture ScaleDown(const ImageLib::Image& src, int maxWidth, int maxHeight)
{
    double scale = std::min({1.0, double(maxWidth) / src.GetWidth(), double(maxHeight) / src.GetHeight()});
    int w = std::max(1, int(src.GetWidth() * scale)), h = std::max(1, int(src.GetHeight() * scale));
    Picture out = NewPicture(w, h);
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_t* source = SurfaceOf(src);
    cairo_t* cr = cairo_create(target);
    cairo_scale(cr, double(w) / src.GetWidth(), double(h) / src.GetHeight());
    cairo_set_source_surface(cr, source, 0, 0);
    // A box filter: every source pixel counts, so thin lines survive the reduction.
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(source);
    CopyBack(target, *out);
    cairo_surface_destroy(target);
    return out;
}

void SavePicturePng(const std::string& path, const ImageLib::Image& picture)
{
    MakeFolders(std::filesystem::path(path).parent_path().string());
    if (!ImageLib::SavePng(path, picture))
        Fail("cannot write " + path);
}

void SavePictureJpeg(const std::string& path, const ImageLib::Image& picture)
{
    MakeFolders(std::filesystem::path(path).parent_path().string());
    if (!ImageLib::SaveJpeg(path, picture))
        Fail("cannot write " + path);
    size_t count = size_t(picture.GetWidth()) * picture.GetHeight();
    const uint32_t* bits = picture.GetBits();
    if (std::all_of(bits, bits + count, [](uint32_t p) { return (p >> 24) == 255; }))
        return;
    // The reader takes the companion's blue channel as the alpha of the colour file.
    Picture alpha = NewPicture(picture.GetWidth(), picture.GetHeight());
    for (size_t i = 0; i < count; ++i) {
        uint32_t a = bits[i] >> 24;
        alpha->GetBits()[i] = 0xFF000000u | (a << 16) | (a << 8) | a;
    }
    std::filesystem::path p(path);
    SavePicturePng((p.parent_path() / ("_" + p.stem().string() + ".png")).string(), *alpha);
}

} // namespace datagen
