// The game's drawable picture: a resource image with its own position, animation clock, play flags,
// scale, size override and transparency. Also the script class "image_class".
#pragma once

#include <cstdint>
#include <string>

#include "core/Vector2.h"
#include "data/CSaveObject.h"

struct lua_State;

namespace Olvarn
{
class Graphics;
class Image;
class ResourceManager;
} // namespace Olvarn

namespace tilvan
{

class CImage : public save::CSaveObject
{
public:
    static constexpr int kClassId = 9999;
    static constexpr const char* kElement = "image";

    enum EFlags {
        BACKWARD_ANIMATION = 1,
        MIRRORED = 2,
        STOP_ANIMATION = 4,
        BOX_IMAGE = 8,
        CENTER_POS = 16,
        SMOOTH_ANIMATION = 32,
    };

    // Scripts make one from a resource id alone, at (0, 0).
    explicit CImage(const std::string& resourceId, int x = 0, int y = 0);
    CImage(Olvarn::Image* image, int x, int y);
    CImage(const CImage&) = default;
    CImage& operator=(const CImage&) = default;
    ~CImage() override = default;

    // Saved as one "image" row; alpha and play-once are not saved.
    int Save() override;
    void Load(int row) override;
    int GetClassId() const override { return kClassId; }
    static void DeclareReaderSchema(CXmlDataReader& reader);
    static void DeclareWriterSchema(CXmlDataWriter& writer);

    // Replaces the picture; clock, flags and play-once stay.
    void SetImage(const std::string& resourceId);
    void SetImage(Olvarn::Image* image);
    // Replaces the picture and restarts the clock.
    CImage& operator=(const std::string& resourceId);
    CImage& operator=(Olvarn::Image* image);

    void SetPosition(int x, int y);
    void SetScale(float scale);
    void ResetTime() { time = 0; }
    void Update(float ms);

    void Draw(Olvarn::Graphics& g);
    void DrawAt(Olvarn::Graphics& g, int x, int y);
    void DrawFrame(Olvarn::Graphics& g, int x, int y, int cell);
    void DrawRotated(Olvarn::Graphics& g, int x, int y, double angle, int cx, int cy);

    // Frame index before the frame map: -1 without an image, 0 without an animation.
    int CurrentFrame() const;
    // The cell of the picture a draw shows now (0 without a picture).
    int CurrentCell() const { return image ? CellForTime() : 0; }
    int FrameCount() const;
    // What a draw would show now, as one number: while it stays the same, so does the picture
    // (the position aside).
    uint64_t Appearance() const;

    // Script members.
    Olvarn::OlvarnVector2& GetDimensions() { return dimensions; }
    const Olvarn::OlvarnVector2& GetDimensions() const { return dimensions; }
    Olvarn::OlvarnVector2& GetSize() { return size; }
    void SetFlags(int value) { flags = value; }
    int GetFlags() const { return flags; }
    void AddFlags(int value) { flags |= value; }
    void RemoveFlags(int value) { flags &= ~value; }
    void SetSize(int w, int h) { size = Olvarn::OlvarnVector2(float(w), float(h)); }
    void RandomizeTime();
    void SetTime(int ms) { time = float(ms); }
    void PlayAnimationOnce();
    bool IsAnimatingOnce() const { return playOnce; }
    float GetScale() const { return scale; }
    int GetAlpha() const { return alpha; }
    // Limited to 0..255.
    void SetAlpha(int value);

    Olvarn::Image* GetImage() const { return image; }
    const std::string& GetId() const { return id; }
    float GetTime() const { return time; }
    Olvarn::OlvarnVector2 GetPosition() const { return position; }

    static void RegisterLuaClass(lua_State* L);

private:
    // The frames a smooth animation blends and the earlier one's weight.
    struct Blend {
        int previous = 0;
        int next = 0;
        int weight = 255;
    };
    Blend SmoothBlend() const;
    void ComputeDimensions();
    int MapFrame(int frame) const;
    int CellForTime() const;

    Olvarn::Image* image = nullptr;
    Olvarn::OlvarnVector2 position;
    int alpha = 255;
    float time = 0;
    int flags = 0;
    Olvarn::OlvarnVector2 dimensions{1, 1};
    float scale = 1;
    bool playOnce = false;
    Olvarn::OlvarnVector2 size;
    std::string id;
};

} // namespace tilvan
