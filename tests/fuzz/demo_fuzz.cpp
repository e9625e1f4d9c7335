// Fuzz target: loading a demo file and playing its stream to the end. A load either succeeds or names
// its fault; playback never reads past the stream, and what it reads writes back to the same events.
#include <cstdint>
#include <string>
#include <vector>

#include "app/DemoFile.h"
#include "app/DemoStream.h"
#include "app/core/Buffer.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string product = "Tamberlo 1.0";
    Olvarn::DemoFile file;
    std::string error;
    std::vector<unsigned char> stream;
    if (Olvarn::DemoFile::Parse(data, size, product, file, error)) {
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
