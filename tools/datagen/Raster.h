// Pictures in memory for the generator: SVG text rasterised by librsvg, strips and the writers.
#pragma once

#include <memory>
#include <string>

#include "resources/ImageLib.h"

namespace datagen
{

using Picture = std::unique_ptr<ImageLib::Image>;

Picture NewPicture(int width, int height);
// Renders the SVG document scaled to fill width x height; throws with librsvg's message.
Picture RenderSvg(const std::string& svg, int width, int height, const std::string& where);
// Copies src into dst with its top-left corner at (x, y), replacing the pixels (no blending).
void Place(ImageLib::Image& dst, const ImageLib::Image& src, int x, int y);
// Draws src over dst at (x, y), blending by src alpha (cairo).
void Over(ImageLib::Image& dst, const ImageLib::Image& src, int x, int y);
// Scaled down by cairo with a smoothing filter, for the review pages.
Picture ScaleDown(const ImageLib::Image& src, int maxWidth, int maxHeight);

// PNG through the framework's writer; JPEG likewise, plus the "_name.png" alpha companion when any
// pixel is not opaque.
void SavePicturePng(const std::string& path, const ImageLib::Image& picture);
void SavePictureJpeg(const std::string& path, const ImageLib::Image& picture);

} // namespace datagen
