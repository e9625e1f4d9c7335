// Fuzz target: loading a demo file and playing its stream to the end. A load either succeeds or names
// its fault; playback never reads past the stream, and what it reads writes back to the same events.
// Then the application plays the stream as a replay would: the event player, the synchronised reads
// and the update gate, which must end cleanly however the stream is damaged.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzApp.h"
#include "app/DemoFile.h"
#include "app/DemoStream.h"
#include "core/Buffer.h"

namespace
{

std::vector<Olvarn::DemoEvent> PlayAll(const std::vector<unsigned char>& bytes, bool& damaged)
{
    Olvarn::Buffer stream;
    stream.SetData(bytes.data(), static_cast<int>(bytes.size()));
    Olvarn::DemoStreamReader reader(stream);
    std::vector<Olvarn::DemoEvent> events;
    Olvarn::DemoEvent event;
    // Events follow their update counts; a header not due moves the count on to its own, so the
    // next turn plays it instead of stepping through every update.
    while (!reader.AtEnd()) {
        int update = reader.LastEventUpdate();
        Olvarn::DemoRead r = reader.Next(update, event);
        if (r == Olvarn::DemoRead::Event)
            events.push_back(event);
        else if (r == Olvarn::DemoRead::End)
            break;
        if (stream.ReadBitPos() > stream.BitLength())
            __builtin_trap();
    }
    damaged = reader.Damaged();
    return events;
}

// The application's replay of the stream, with a synchronised read now and then where the fuzzed
// bytes say (as a program's own reads would fall).
void Replay(const std::vector<unsigned char>& stream, const uint8_t* data, size_t size)
{
    fuzzsupport::FuzzApp app;
    app.mRegKey = "Olvarn\\DemoFuzz";
    app.mPlayingDemo = true;
    app.mLoadingThreadCompleted = true;
    app.mDemo.mBuffer.SetData(stream.data(), static_cast<int>(stream.size()));
    int stuck = 0;
    for (int step = 0; step < 4000 && !app.mShutdown && stuck < 3; ++step) {
        app.PlayDueDemoEvents();
        switch (size > 0 ? data[step % size] % 16 : 0) {
        case 1: {
            unsigned char bytes[8] = {};
            uint32_t type = 0, length = sizeof(bytes);
            if (app.ReadRegistryValue("Value", type, bytes, length) && length > sizeof(bytes))
                __builtin_trap();
            break;
        }
        case 2:
            app.WriteRegistryDWORD("Value", 1);
            break;
        case 3: {
            Olvarn::Buffer buffer;
            app.ReadBufferFromFile("anything.txt", buffer, true);
            break;
        }
        case 4:
            app.SyncStringWithDemo("text");
            break;
        default:
            break;
        }
        const bool blocked = !app.UpdateAppTick();
        stuck = blocked && app.mDemo.mReader.AtEnd() ? stuck + 1 : 0;
        if (app.mDemo.mBuffer.ReadBitPos() > app.mDemo.mBuffer.BitLength())
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string product = "Tamberlo 1.0";
    Olvarn::DemoFile file;
    std::string error;
    std::vector<unsigned char> stream;
    // The kept recordings of the scripted program seed the corpus too.
    bool parsed = Olvarn::DemoFile::Parse(data, size, product, file, error);
    if (!parsed && error == "This demo file appears to be for 'DemoProgram 1'") {
        error.clear();
        parsed = Olvarn::DemoFile::Parse(data, size, "DemoProgram 1", file, error);
    }
    if (parsed) {
        if (!error.empty())
            __builtin_trap();
        stream = file.mStream;
    } else {
        if (error != "Invalid demo file." && error.rfind("This demo file appears to be for '", 0) != 0)
            __builtin_trap();
        // The bytes are also a stream of their own.
        stream.assign(data, data + size);
    }

    bool damaged = false;
    std::vector<Olvarn::DemoEvent> events = PlayAll(stream, damaged);
    Replay(stream, data, size);

    // Whatever was read, written again, reads back the same.
    Olvarn::Buffer rewritten;
    Olvarn::DemoStreamWriter writer(rewritten);
    for (const Olvarn::DemoEvent& e : events)
        writer.Write(e);
    if (rewritten.ByteLength() == 0)
        return 0;
    std::vector<unsigned char> bytes(rewritten.GetData(), rewritten.GetData() + rewritten.ByteLength());
    bool damagedAgain = false;
    if (PlayAll(bytes, damagedAgain) != events || damagedAgain)
        __builtin_trap();
    return 0;
}
