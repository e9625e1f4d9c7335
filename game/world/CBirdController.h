// Birds that cross the screen now and then and can be caught with a click for a score.
#pragma once

#include <string>
#include <vector>

#include "board/BoardServices.h"
#include "shell/CHintRegistry.h"
#include "shell/CImage.h"

struct lua_State;

namespace Olvarn
{
class Graphics;
}

namespace tilvan
{

class CXmlDataReader;

// One "bird" row.
struct CBirdKind {
    std::string image;
    int miny = 0;
    int maxy = 0;
    int deltay = 0;
    int speed = 0;
    int score = 0;
    int soundId = -1;
    // The sound's resource id, for a sound whose group was not loaded when the rows were read.
    std::string sound;
};

class CBird
{
public:
    static constexpr int kControlId = 20;

    CBird(const CBirdKind& kind, FPoint position, FPoint velocity);

    void Update(float ms);
    bool HitTest(int x, int y);
    // Plays the bird's sound and ends its flight.
    void Hit();

    bool IsFinished() const { return finished; }
    bool HintDone() const { return hintDone; }
    int GetScore() const { return score; }
    FPoint GetPosition() const { return position; }
    FPoint GetVelocity() const { return velocity; }
    CImage& GetImage() { return image; }
    const CImage& GetImage() const { return image; }

private:
    FPoint velocity;
    FPoint position;
    CImage image;
    bool finished = false;
    int score = 0;
    int soundId = -1;
    std::string sound;
    lua_private::control_id control{kControlId};
    float hintTime = 0;
    bool hintDone = false;
};

class CBirdController
{
public:
    void Update(float ms);
    void Draw(Olvarn::Graphics& g);
    // The first live bird under the point, or null.
    CBird* FindBird(int x, int y);
    void Spawn(size_t kind);

    void disable(bool flag) { disabled = flag; }
    bool is_disabled() const { return disabled; }
    const std::vector<CBird>& Birds() const { return birds; }

    static void DeclareConfig(CXmlDataReader& reader);
    // The kinds and the chance; rows whose ranges would divide by nothing throw a CDataError.
    static void LoadConfig(CXmlDataReader& reader);
    static std::vector<CBirdKind>& Kinds();
    static int& ChancePerSecond();
    // "bird_controller_class".
    static void RegisterLuaClass(lua_State* L);

private:
    std::vector<CBird> birds;
    float secondTimer = 0;
    bool disabled = false;
};

} // namespace tilvan
