// What the feedback script sees of the game: "globals_class" reading the newest environment's
// level objects, "music_interface" around the application's music, and the player as "player_class".
#pragma once

#include <luabind/object_fwd.hpp>

struct lua_State;

namespace Olvarn
{
class MusicInterface;
}

namespace tilvan
{

class CBirdController;
class CLevelView;
class CPipeline;
class CPlayerInfo;

class CGlobals
{
public:
    class CLuaMusicInterface
    {
    public:
        void fade_in(int track, double speed);
        void fade_out(int track, bool stopWhenSilent, double speed);
        void set_song_volume(int track, double volume);
        void set_song_max_volume(int track, double volume);
        void play(int track, int offset, bool noLoop);
        void stop(int track);
        Olvarn::MusicInterface* music = nullptr;
    };

    CPipeline* get_pipeline() const;
    CBirdController* get_bird_controller() const;
    CLuaMusicInterface* get_music() const;
    double get_fade_time() const;
    // The level as its own script class ("level_class"), nil while no level or no maker is set.
    luabind::object get_level(lua_State* L) const;
    CPlayerInfo* get_player() const;

    // The newest environment's objects; the fade time is 10 / "fade_time" of the group "music".
    static void Set(CLevelView* level, CPipeline* pipeline, CBirdController* birds, Olvarn::MusicInterface* music,
                    double fadeTime);
    static CLevelView* Level();

    // The folder that owns the level's class turns the level into its script object.
    using LevelObjectMaker = luabind::object (*)(lua_State* L, CLevelView* level);
    static void SetLevelObject(LevelObjectMaker maker);

    static void RegisterLuaClasses(lua_State* L);
};

} // namespace tilvan
