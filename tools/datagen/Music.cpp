// Music: a compact score (chords per bar and parts that play them) becomes a standard MIDI file,
// which libfluidsynth plays on the General MIDI soundfont; the tail that rings past the end is
// folded back onto the start so the track loops without a seam, then it is encoded as Vorbis.
#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "Assets.h"
#include "Ogg.h"

namespace datagen
{

namespace
{

constexpr int kMusicVersion = 3;
constexpr int kRate = 44100;
constexpr int kPpq = 480;
constexpr double kTailSeconds = 6.0;
constexpr double kPeak = 0.8;
const char* const kSoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
std::mutex gFluidLock;

struct Note {
    int tick, length, channel, key, velocity;
};

struct Score {
    RecipeLine track;
    std::vector<std::vector<int>> chords; // per bar: the chord's keys from its root upwards
    std::vector<RecipeLine> parts;
    int bars = 0, beats = 4;
    double tempo = 80;
    std::string file;
    std::string where;
};

// The generator's own LCG, so a seed gives the same tune everywhere.
class Dice
{
public:
    explicit Dice(uint32_t seed) : mState(seed) {}
    int Next(int below)
    {
        mState = mState * 214013u + 2531011u;
        return int((mState >> 16) & 0x7FFF) % below;
    }

private:
    uint32_t mState;
};

int NoteNumber(const std::string& name, const std::string& where)
{
    static const std::map<char, int> kSteps = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5}, {'G', 7}, {'A', 9}, {'B', 11}};
    if (name.empty() || !kSteps.count(name[0]))
        Fail(where + ": bad note " + name);
    int n = kSteps.at(name[0]);
    size_t i = 1;
    if (i < name.size() && name[i] == '#')
        ++n, ++i;
    else if (i < name.size() && name[i] == 'b')
        --n, ++i;
    int octave = 4;
    if (i < name.size())
        octave = std::stoi(name.substr(i));
    return 12 * (octave + 1) + n;
}

// "Am7" -> root A3 with the minor seventh chord's keys.
std::vector<int> ParseChord(const std::string& text, const std::string& where)
{
    size_t i = 1;
    if (i < text.size() && (text[i] == '#' || text[i] == 'b'))
        ++i;
    int root = NoteNumber(text.substr(0, i) + "3", where);
    std::string quality = text.substr(i);
    static const std::map<std::string, std::vector<int>> kQualities = {
        {"", {0, 4, 7}},       {"m", {0, 3, 7}},         {"7", {0, 4, 7, 10}}, {"maj7", {0, 4, 7, 11}},
        {"m7", {0, 3, 7, 10}}, {"sus2", {0, 2, 7}},      {"sus4", {0, 5, 7}},  {"add9", {0, 4, 7, 14}},
        {"6", {0, 4, 7, 9}},   {"m9", {0, 3, 7, 10, 14}}};
    auto it = kQualities.find(quality);
    if (it == kQualities.end())
        Fail(where + ": unknown chord " + text);
    std::vector<int> keys;
    for (int step : it->second)
        keys.push_back(root + step);
    return keys;
}

// The key of chord tone `index` counted up from the root in `octave`; indices past the chord's
// size go on in the octaves above (and negative ones below).
int ChordTone(const std::vector<int>& chord, int octave, int index)
{
    const int n = int(chord.size());
    const int wrap = index >= 0 ? index / n : -((-index + n - 1) / n);
    const int k = index - wrap * n;
    return 12 * (octave + 1) + chord[0] % 12 + (chord[size_t(k)] - chord[0]) + 12 * wrap;
}

// The notes of one part over the whole score.
void PlayPart(const Score& score, const RecipeLine& part, int channel, std::vector<Note>& notes)
{
    const std::string style = part.Get("style", "pad");
    const int octave = part.Int("octave", 4), velocity = part.Int("vel", 70);
    const int barTicks = kPpq * score.beats;
    const std::string rhythm = part.Get("rhythm", "x.......");
    const int slots = int(rhythm.size()), slotTicks = barTicks / slots;
    std::vector<int> pattern;
    {
        std::string p = part.Get("pattern", "0,1,2,1");
        size_t at = 0;
        while (at <= p.size()) {
            size_t comma = p.find(',', at);
            pattern.push_back(std::stoi(p.substr(at, comma - at)));
            if (comma == std::string::npos)
                break;
            at = comma + 1;
        }
    }
    const int from = part.Int("from", 0), to = part.Int("to", score.bars);
    Dice dice(uint32_t(Hash64(score.file + part.Get("name"))));
    int step = 0, previous = 2;
    for (int bar = from; bar < to && bar < score.bars; ++bar) {
        const std::vector<int>& chord = score.chords[size_t(bar) % score.chords.size()];
        const int barStart = bar * barTicks;
        if (style == "pad") {
            for (size_t k = 0; k < chord.size() && k < 4; ++k)
                notes.push_back({barStart, barTicks, channel, ChordTone(chord, octave, int(k)), velocity});
            continue;
        }
        for (int s = 0; s < slots; ++s) {
            if (rhythm[size_t(s)] != 'x')
                continue;
            int length = slotTicks;
            while (s + length / slotTicks < slots && rhythm[size_t(s + length / slotTicks)] == '-')
                length += slotTicks;
            int key;
            int vel = velocity - (s % 2 ? 10 : 0);
            if (style == "bass") {
                key = ChordTone(chord, octave, s == 0 ? 0 : (s % 4 == 0 ? 2 : 0));
            } else if (style == "arp") {
                key = ChordTone(chord, octave, pattern[size_t(step++) % pattern.size()]);
            } else if (style == "melody") {
                // A gentle walk over the chord tones: mostly steps, now and then a rest or a leap.
                if (dice.Next(100) < part.Int("rests", 20) && s != 0)
                    continue;
                int move = dice.Next(5) - 2;
                if (dice.Next(100) < 15)
                    move *= 2;
                previous = std::clamp(previous + move, 0, 6);
                key = ChordTone(chord, octave, previous);
                vel += dice.Next(12) - 6;
            } else {
                Fail(part.file + ":" + std::to_string(part.line) + ": unknown style " + style);
            }
            notes.push_back({barStart + s * slotTicks, length * 95 / 100, channel, key, std::clamp(vel, 1, 127)});
        }
    }
}

void PutVar(std::string& out, uint32_t value)
{
    char buffer[5];
    int n = 0;
    buffer[n++] = char(value & 0x7F);
    while (value >>= 7)
        buffer[n++] = char((value & 0x7F) | 0x80);
    while (n)
        out += buffer[--n];
}

void PutBigEndian(std::string& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xFF);
}

// A format-0 MIDI file: set-up of every part at tick 0, the notes, and the end at the loop length.
std::string WriteMidi(const Score& score)
{
    struct Event {
        int tick, order;
        std::string bytes;
    };
    std::vector<Event> events;
    std::string tempo = "\xFF\x51\x03";
    PutBigEndian(tempo, uint32_t(std::lround(60000000.0 / score.tempo)), 3);
    events.push_back({0, 0, tempo});
    std::vector<Note> notes;
    for (size_t i = 0; i < score.parts.size(); ++i) {
        const RecipeLine& part = score.parts[i];
        int ch = int(i) >= 9 ? int(i) + 1 : int(i);
        auto control = [&](int number, int value) {
            events.push_back({0, 1, std::string{char(0xB0 | ch), char(number), char(std::clamp(value, 0, 127))}});
        };
        control(7, part.Int("volume", 100));
        control(10, part.Int("pan", 64));
        control(91, part.Int("reverb", 60));
        control(93, part.Int("chorus", 20));
        events.push_back({0, 2, std::string{char(0xC0 | ch), char(part.Int("prog", 0))}});
        PlayPart(score, part, ch, notes);
    }
    for (const Note& n : notes) {
        // Offs sort before ons at the same tick so a repeated key restarts cleanly.
        events.push_back({n.tick, 4, std::string{char(0x90 | n.channel), char(n.key), char(n.velocity)}});
        events.push_back({n.tick + n.length, 3, std::string{char(0x80 | n.channel), char(n.key), char(0)}});
    }
    const int end = score.bars * score.beats * kPpq;
    events.push_back({end, 9, std::string("\xFF\x2F\x00", 3)});
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::string track;
    int last = 0;
    for (const Event& e : events) {
        PutVar(track, uint32_t(e.tick - last));
        track += e.bytes;
        last = e.tick;
    }
    std::string file = "MThd";
    PutBigEndian(file, 6, 4);
    PutBigEndian(file, 0, 2);
    PutBigEndian(file, 1, 2);
    PutBigEndian(file, kPpq, 2);
    file += "MTrk";
    PutBigEndian(file, uint32_t(track.size()), 4);
    return file + track;
}

std::vector<float> Render(const Score& score, const std::string& midi)
{
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    // The library fills process-wide tables when its first synthesiser is made and shares loaded
    // soundfonts; made one at a time, every render sees the same finished tables.
    std::unique_lock<std::mutex> setUp(gFluidLock);
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", kRate);
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    fluid_settings_setint(settings, "synth.reverb.active", 1);
    fluid_settings_setint(settings, "synth.chorus.active", 1);
    fluid_settings_setnum(settings, "synth.gain", 0.4);
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (fluid_synth_sfload(synth, kSoundFont, 1) == FLUID_FAILED)
        Fail(score.where + ": cannot load the soundfont " + kSoundFont);
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add_mem(player, midi.data(), midi.size());
    fluid_player_play(player);
    setUp.unlock();

    const size_t loop = size_t(std::llround(score.bars * score.beats * 60.0 / score.tempo * kRate));
    const size_t total = loop + size_t(kTailSeconds * kRate);
    std::vector<float> left(total), right(total);
    const size_t block = 64;
    for (size_t at = 0; at < total; at += block) {
        int n = int(std::min(block, total - at));
        fluid_synth_write_float(synth, n, left.data(), int(at), 1, right.data(), int(at), 1);
    }
    setUp.lock();
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);

    std::vector<float> out(loop * 2);
    double peak = 0;
    for (size_t i = 0; i < loop; ++i) {
        float l = left[i], r = right[i];
        if (i + loop < total) {
            l += left[i + loop];
            r += right[i + loop];
        }
        out[2 * i] = l;
        out[2 * i + 1] = r;
        peak = std::max({peak, double(std::fabs(l)), double(std::fabs(r))});
    }
    if (peak <= 0)
        Fail(score.where + ": the track is silent");
    const float gain = float(kPeak / peak);
    for (float& s : out)
        s *= gain;
    return out;
}

std::vector<Score> ReadScores(const Options& options)
{
    std::vector<Score> scores;
    for (const std::string& name : ListFiles(options.src + "/music", ".txt")) {
        Score score;
        for (const RecipeLine& line : ReadRecipe(options.src + "/music/" + name)) {
            std::string where = line.file + ":" + std::to_string(line.line);
            const std::string& kind = line.Word(0);
            if (kind == "track") {
                score.track = line;
                score.where = where;
                score.file = line.Get("file");
                score.tempo = line.Number("tempo", 80);
                score.bars = line.Int("bars", 32);
                score.beats = line.Int("beats", 4);
            } else if (kind == "chords") {
                for (size_t i = 1; i < line.words.size(); ++i)
                    score.chords.push_back(ParseChord(line.words[i], where));
            } else if (kind == "part") {
                score.parts.push_back(line);
            } else {
                Fail(where + ": unknown kind " + kind);
            }
        }
        if (score.file.empty() || score.chords.empty() || score.parts.empty() || score.parts.size() > 15)
            Fail(options.src + "/music/" + name + ": a score needs a track line, chords and 1 to 15 parts");
        double seconds = score.bars * score.beats * 60.0 / score.tempo;
        if (seconds < 60 || seconds > 120)
            Fail(score.where + ": the track lasts " + std::to_string(seconds) + " s, not 60 to 120 s");
        scores.push_back(std::move(score));
    }
    return scores;
}

} // namespace

std::vector<std::string> MakeMusic(const Options& options, bool make)
{
    std::vector<Score> scores = ReadScores(options);
    std::vector<std::string> files;
    for (const Score& s : scores)
        files.push_back("music/" + s.file + ".ogg");
    if (!make)
        return files;
    Cache cache(options.cache);
    ParallelFor(int(scores.size()), options.jobs, [&](int i) {
        const Score& score = scores[size_t(i)];
        std::string midi = WriteMidi(score);
        std::string key = HexOf(Hash64(std::to_string(kMusicVersion) + midi));
        std::string out = options.out + "/" + files[size_t(i)];
        if (cache.Fresh("music/" + score.file, key, {out}))
            return;
        if (!options.cache.empty())
            WriteFile(options.cache + "/music/" + score.file + ".mid", midi);
        WriteFile(out, EncodeOggVorbis(Render(score, midi), 2, kRate, 0.25f, int(Hash64(score.file) & 0x7FFFFFFF)));
        Made("music/" + score.file);
        cache.Store("music/" + score.file, key);
    });
    return files;
}

} // namespace datagen
