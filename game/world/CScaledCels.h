// Creature and bird cels stretched, and mirrored, once to the size they are drawn at: a software
// frame then only blits them, instead of resampling every picture in every frame.
#pragma once

#include <map>
#include <memory>
#include <tuple>

namespace Olvarn
{
class Graphics;
class Image;
class MemoryImage;
} // namespace Olvarn

namespace tilvan
{

class CImage;

class CScaledCels
{
public:
    static CScaledCels& Instance();
    CScaledCels();
    ~CScaledCels();

    // The cel of the picture at w x h, mirrored when asked; null when there is nothing to stretch.
    Olvarn::MemoryImage* Get(Olvarn::Image* picture, int cell, int w, int h, bool mirrored);
    // Pictures may be unloaded between levels; the aquarium forgets the cels when it empties.
    void Clear();
    size_t Size() const { return mCels.size(); }

    // Draws the image as its own draw would, from a stretched cel; false (nothing drawn) for what
    // only the image's own draw does: its natural size, nine-grid and blended frames, or 3D drawing.
    static bool Draw(Olvarn::Graphics& g, CImage& image, int x, int y);

private:
    // The picture's address with its size: a picture loaded again elsewhere is not taken for the old one.
    using Key = std::tuple<Olvarn::Image*, int, int, int, int, int, bool>;
    std::map<Key, std::unique_ptr<Olvarn::MemoryImage>> mCels;
};

} // namespace tilvan
