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

void Over(ImageLib::Image& dst, const ImageLib::Image& src, int x, int y)
{
    for (int sy = 0; sy < src.GetHeight(); ++sy) {
        int dy = y + sy;
        if (dy < 0 || dy >= dst.GetHeight())
            continue;
        for (int sx = 0; sx < src.GetWidth(); ++sx) {
            int dx = x + sx;
            if (dx < 0 || dx >= dst.GetWidth())
                continue;
            uint32_t s = src.GetBits()[size_t(sy) * src.GetWidth() + sx];
            uint32_t& d = dst.GetBits()[size_t(dy) * dst.GetWidth() + dx];
            uint32_t sa = s >> 24, da = d >> 24;
            uint32_t oa = sa + da * (255 - sa) / 255;
            if (oa == 0) {
                d = 0;
                continue;
            }
            uint32_t out = oa << 24;
            for (int shift = 0; shift < 24; shift += 8) {
                uint32_t sc = (s >> shift) & 255, dc = (d >> shift) & 255;
                uint32_t c = (sc * sa + dc * da * (255 - sa) / 255) / oa;
                out |= std::min<uint32_t>(c, 255) << shift;
            }
            d = out;
        }
    }
}

Picture ScaleDown(const ImageLib::Image& src, int maxWidth, int maxHeight)
{
    double scale = std::min({1.0, double(maxWidth) / src.GetWidth(), double(maxHeight) / src.GetHeight()});
    int w = std::max(1, int(src.GetWidth() * scale)), h = std::max(1, int(src.GetHeight() * scale));
    Picture out = NewPicture(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int x0 = int(x / scale), x1 = std::max(x0 + 1, int((x + 1) / scale));
            int y0 = int(y / scale), y1 = std::max(y0 + 1, int((y + 1) / scale));
            x1 = std::min(x1, src.GetWidth());
            y1 = std::min(y1, src.GetHeight());
            uint64_t sum[4] = {0, 0, 0, 0}, n = 0;
            for (int yy = y0; yy < y1; ++yy)
                for (int xx = x0; xx < x1; ++xx) {
                    uint32_t p = src.GetBits()[size_t(yy) * src.GetWidth() + xx];
                    uint32_t a = p >> 24;
                    sum[3] += a;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += ((p >> (8 * c)) & 255) * a;
                    ++n;
                }
            uint32_t a = uint32_t(sum[3] / n), p = a << 24;
            if (sum[3])
                for (int c = 0; c < 3; ++c)
                    p |= uint32_t(sum[c] / sum[3]) << (8 * c);
            out->GetBits()[size_t(y) * w + x] = a ? p : 0;
        }
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
