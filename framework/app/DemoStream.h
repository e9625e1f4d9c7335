// The demo event stream: every outside event of a run, stamped with its update count, packed into a
// Buffer as a bit stream; and its reader, which never reads past the buffer.
#pragma once

#include <cstdint>
#include <string>

#include "core/Buffer.h"

namespace Olvarn
{

enum class DemoEventKind {
    MouseMove,     // short 0
    MouseButton,   // short 1
    MousePosition, // long 0
    Activation,    // long 1
    Minimised,     // long 2
    KeyDown,       // long 3
    KeyUp,         // long 4
    Character,     // long 5
    Close,         // long 6
    MouseEntered,  // long 7
    MouseLeft,     // long 8
    LoadingDone,   // long 9
    RegistryRead,  // long 11
    RegistryWrite, // long 12
    FileRead,      // long 15
    HttpResult,    // long 17
    Data,          // long 18
    MouseWheel,    // long 21
    Display,       // long 23
    Filler,        // long 31
};

// One event and its payload; only the fields of its kind are written.
struct DemoEvent {
    DemoEventKind mKind = DemoEventKind::Filler;
    int mUpdate = 0; // the update count the event belongs to

    int mX = 0;          // MouseMove: dx (-32..31); MousePosition: x (-2048..2047)
    int mY = 0;          // MouseMove: dy; MousePosition: y
    int mClicks = 0;     // MouseButton: 1 left, 2 left double, -1 right, -2 right double, 3 middle
    bool mFlag = false;  // MouseButton: down; Activation: has focus; Minimised; Display: windowed;
                         // RegistryRead, RegistryWrite, FileRead: success
    int mCode = 0;       // KeyDown, KeyUp, Character: the byte; MouseWheel: steps (-128..127);
                         // Display: refresh rate (0..255); HttpResult: result byte
    int32_t mNumber = 0; // RegistryRead: value type; HttpResult: transfer id
    std::string mBytes;  // RegistryRead, FileRead, Data: the bytes; HttpResult: content

    bool operator==(const DemoEvent& other) const;
    bool operator!=(const DemoEvent& other) const { return !(*this == other); }
};

// The events the synchronised operations take; the event player only meets them out of step.
bool IsDemoSyncEvent(DemoEventKind kind);
// The kind's name, for logs and test output.
const char* DemoEventName(DemoEventKind kind);

// Writes events in the order of their update counts.
class DemoStreamWriter
{
public:
    explicit DemoStreamWriter(Buffer& stream) : mStream(stream) {}

    // The header's update delta, with fillers for a gap above 15; the caller then writes the
    // form bit and code. An update count below the last one is written as no gap.
    void WriteTimeStep(int updateCount);
    // Header and payload of the event at its update count.
    void Write(const DemoEvent& event);
    // The relative move when both steps fit in the short event, else the absolute position.
    static DemoEvent MouseMotion(int update, int fromX, int fromY, int toX, int toY);

    int LastEventUpdate() const { return mLastEventUpdate; }

private:
    void WritePayload(const DemoEvent& event);

    Buffer& mStream;
    int mLastEventUpdate = 0;
};

enum class DemoRead {
    Event,    // an event was read and consumed
    NotDue,   // the next event belongs to a later update
    Mismatch, // a synchronised read met another kind of event; it stays unread
    End,      // no whole event is left (or the rest is damaged); playback stands still
};

// Reads a stream written by DemoStreamWriter. Fillers are consumed on the way.
class DemoStreamReader
{
public:
    explicit DemoStreamReader(Buffer& stream) : mStream(stream) {}

    // Reads the next header once and answers whether the event is due at the update count.
    bool PeekDue(int updateCount);
    // True once no whole event is left: bits fewer than the smallest event are padding, and a
    // damaged event ends the stream.
    bool AtEnd();
    // The next due event, for the event player. A synchronised event met here is returned too, its
    // payload read, so the stream stays in step: the caller logs it and plays nothing.
    DemoRead Next(int updateCount, DemoEvent& event);
    // The next event when it is due now and is the HTTP result of the transfer; another transfer's
    // result stays for its owner (Mismatch).
    DemoRead TakeHttpResult(int updateCount, int32_t transferId, DemoEvent& event);
    // The next event when it has the kind a synchronised operation expects, due or not.
    DemoRead TakeSync(DemoEventKind kind, DemoEvent& event);

    // The update count of the last event read, or of the next event once its header is read.
    int LastEventUpdate() const { return mLastEventUpdate; }
    // True when the stream ended on an unknown code or an event cut short.
    bool Damaged() const { return mDamaged; }

    // The fewest bits an event takes: a long header with no payload.
    static constexpr int kSmallestEventBits = 10;

private:
    bool ReadHeader();
    bool ReadPayload(DemoEvent& event);
    bool SkipDueFillers(int updateCount);
    bool Has(int64_t bits) const;
    bool Fail();

    Buffer& mStream;
    int mLastEventUpdate = 0;
    bool mHeaderNeeded = true;
    bool mEnded = false;
    bool mDamaged = false;
    DemoEventKind mKind = DemoEventKind::Filler;
};

} // namespace Olvarn
