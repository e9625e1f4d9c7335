// The feedback script's globals and music wrapper.
#include "world/CGlobals.h"

#include <luabind/luabind.hpp>

#include "board/CPipeline.h"
#include "board/CPlayerInfo.h"
#include "sound/MusicInterface.h"
#include "world/CBirdController.h"

namespace tilvan
{

namespace
{

struct Values {
    CLevelView* level = nullptr;
    CPipeline* pipeline = nullptr;
    CBirdController* birds = nullptr;
    CGlobals::CLuaMusicInterface music;
    double fadeTime = 0;
    CGlobals::LevelObjectMaker levelObject = nullptr;
};

Values& Current()
{
    static Values values;
    return values;
}

// The player did something the feedback script answers; a new game clears the flag.
void FeedbackOccur(CPlayerInfo& player)
{
    player.statistic.feedback = true;
}

} // namespace

void CGlobals::CLuaMusicInterface::fade_in(int track, double speed)
{
    if (music)
        music->SetFadeSpeed(track, speed);
}

void CGlobals::CLuaMusicInterface::fade_out(int track, bool stopWhenSilent, double speed)
{
    if (music)
        music->FadeOut(track, stopWhenSilent, speed);
}

void CGlobals::CLuaMusicInterface::set_song_volume(int track, double volume)
{
    if (music)
        music->SetSongVolume(track, volume);
}

void CGlobals::CLuaMusicInterface::set_song_max_volume(int track, double volume)
{
    if (music)
        music->SetSongMaxVolume(track, volume);
}

void CGlobals::CLuaMusicInterface::play(int track, int offset, bool noLoop)
{
    if (music)
        music->Play(track, offset, noLoop);
}

void CGlobals::CLuaMusicInterface::stop(int track)
{
    if (music)
        music->Stop(track);
}

CPipeline* CGlobals::get_pipeline() const
{
    return Current().pipeline;
}

CBirdController* CGlobals::get_bird_controller() const
{
    return Current().birds;
}

CGlobals::CLuaMusicInterface* CGlobals::get_music() const
{
    return &Current().music;
}

double CGlobals::get_fade_time() const
{
    return Current().fadeTime;
}

luabind::object CGlobals::get_level(lua_State* L) const
{
    const Values& v = Current();
    if (!v.level || !v.levelObject)
        return luabind::object();
    return v.levelObject(L, v.level);
}

CPlayerInfo* CGlobals::get_player() const
{
    return &CPlayerInfo::Instance();
}

void CGlobals::SetLevelObject(LevelObjectMaker maker)
{
    Current().levelObject = maker;
}

void CGlobals::Set(CLevelView* level, CPipeline* pipeline, CBirdController* birds, Olvarn::MusicInterface* music,
                   double fadeTime)
{
    Values& v = Current();
    v.level = level;
    v.pipeline = pipeline;
    v.birds = birds;
    v.music.music = music;
    v.fadeTime = fadeTime;
}

CLevelView* CGlobals::Level()
{
    return Current().level;
}

void CGlobals::RegisterLuaClasses(lua_State* L)
{
    using namespace luabind;
    module(L)[class_<CLuaMusicInterface>("music_interface")
                  .def("fade_in", &CLuaMusicInterface::fade_in)
                  .def("fade_out", &CLuaMusicInterface::fade_out)
                  .def("set_song_volume", &CLuaMusicInterface::set_song_volume)
                  .def("set_song_max_volume", &CLuaMusicInterface::set_song_max_volume)
                  .def("play", &CLuaMusicInterface::play)
                  .def("stop", &CLuaMusicInterface::stop),
              class_<CPlayerInfo>("player_class").def("feedback_occur", &FeedbackOccur),
              class_<CGlobals>("globals_class")
                  .def(constructor<>())
                  .property("pipeline", &CGlobals::get_pipeline)
                  .property("bird_controller", &CGlobals::get_bird_controller)
                  .property("music", &CGlobals::get_music)
                  .property("fade_time", &CGlobals::get_fade_time)
                  .property("level", &CGlobals::get_level)
                  .property("player", &CGlobals::get_player)];
}

} // namespace tilvan
