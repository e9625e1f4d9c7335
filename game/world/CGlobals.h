// What the feedback script sees of the game: "globals_class" reading the newest environment's
// level objects and "music_interface" around the application's music.
#pragma once

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

    // The newest environment's objects; the fade time is 10 / "fade_time" of the group "music".
    static void Set(CLevelView* level, CPipeline* pipeline, CBirdController* birds, Olvarn::MusicInterface* music,
                    double fadeTime);
    static CLevelView* Level();

    static void RegisterLuaClasses(lua_State* L);
};

} // namespace tilvan
