#include "sound/SoundFixtures.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"

namespace soundtest
{

void Put16(std::string& out, uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutBe32(std::string& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

std::string MakeWav(int channels, int rate, int bits, const std::string& samples, int formatTag)
{
    std::string out = "RIFF";
    Put32(out, static_cast<uint32_t>(36 + samples.size()));
    out += "WAVEfmt ";
    Put32(out, 16);
    Put16(out, static_cast<uint32_t>(formatTag));
    Put16(out, static_cast<uint32_t>(channels));
    Put32(out, static_cast<uint32_t>(rate));
    Put32(out, static_cast<uint32_t>(rate * channels * bits / 8));
    Put16(out, static_cast<uint32_t>(channels * bits / 8));
    Put16(out, static_cast<uint32_t>(bits));
    out += "data";
    Put32(out, static_cast<uint32_t>(samples.size()));
    return out + samples;
}

std::string Samples16(const std::vector<int16_t>& samples)
{
    std::string out;
    for (int16_t s : samples)
        Put16(out, static_cast<uint16_t>(s));
    return out;
}

std::vector<int16_t> Sine(int frames, int channels, int rate, double hz, int amplitude)
{
    std::vector<int16_t> out;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out.push_back(static_cast<int16_t>(amplitude * std::sin(2 * M_PI * hz * i / rate)));
    return out;
}

std::string MakeAu(uint32_t offset, uint32_t size, uint32_t encoding, uint32_t rate, uint32_t channels,
                   const std::string& data)
{
    std::string out = ".snd";
    PutBe32(out, offset);
    PutBe32(out, size);
    PutBe32(out, encoding);
    PutBe32(out, rate);
    PutBe32(out, channels);
    if (offset > 24 && offset < 4096)
        out.append(offset - 24, '\0');
    return out + data;
}

std::string EncodeOgg(const std::string& wavBytes)
{
    testsupport::TempDir dir;
    dir.WriteFile("in.wav", wavBytes);
    std::string command = "oggenc -Q -q 2 -o '" + dir.File("out.ogg") + "' '" + dir.File("in.wav") + "'";
    if (std::system(command.c_str()) != 0)
        return std::string();
    return dir.ReadFile("out.ogg");
}

std::string EncodeMp3(const std::string& wavBytes)
{
    testsupport::TempDir dir;
    dir.WriteFile("in.wav", wavBytes);
    std::string command =
        "lame --quiet -b 128 --resample 44.1 '" + dir.File("in.wav") + "' '" + dir.File("out.mp3") + "'";
    if (std::system(command.c_str()) != 0)
        return std::string();
    return dir.ReadFile("out.mp3");
}

std::string MakeModule()
{
    std::string out(20, '\0'); // title
    for (int i = 0; i < 31; ++i) {
        std::string header(22, '\0');
        if (i == 0) {
            header.push_back(0); // length 32 words, big-endian
            header.push_back(32);
            header.push_back(0);                    // finetune
            header.push_back(64);                   // volume
            header += std::string("\0\0\0\x20", 4); // loop start 0, loop length 32 words
        } else {
            header += std::string("\0\0\0\0\0\0\0\x01", 8);
        }
        out += header;
    }
    out.push_back(1);   // song length
    out.push_back(127); // restart
    out.append(128, 0); // order table: pattern 0
    out += "M.K.";
    std::string pattern(1024, '\0');
    // Row 0, channel 0: sample 1 at period 428.
    pattern[0] = 0x01;
    pattern[1] = static_cast<char>(0xAC);
    pattern[2] = 0x10;
    out += pattern;
    for (int i = 0; i < 64; ++i)
        out.push_back(static_cast<char>(i < 32 ? 100 : -100));
    return out;
}

std::shared_ptr<Olvarn::AudioDevice> ManualDevice()
{
    Olvarn::AudioDevice::SetBackend(Olvarn::AudioDevice::Backend::Manual);
    return Olvarn::AudioDevice::Acquire();
}

int Peak(const std::vector<int16_t>& frames)
{
    int peak = 0;
    for (int16_t s : frames)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    return peak;
}

} // namespace soundtest
