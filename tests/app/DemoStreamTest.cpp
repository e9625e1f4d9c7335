// The demo event stream and demo files: every event kind through a write and a read, the exact bit
// layout of headers and gaps, the end of a stream, events out of step, and damaged or foreign files.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/DemoFile.h"
#include "app/DemoStream.h"
#include "core/Buffer.h"
#include "core/Random.h"
#include "support/TempDir.h"

using Olvarn::Buffer;
using Olvarn::DemoEvent;
using Olvarn::DemoEventKind;
using Olvarn::DemoFile;
using Olvarn::DemoRead;
using Olvarn::DemoStreamReader;
using Olvarn::DemoStreamWriter;

namespace
{

const std::string kProduct = "Tamberlo 1.0";

DemoEvent Make(DemoEventKind kind, int update)
{
    DemoEvent e;
    e.mKind = kind;
    e.mUpdate = update;
    return e;
}

DemoEvent Mouse(DemoEventKind kind, int update, int x, int y)
{
    DemoEvent e = Make(kind, update);
    e.mX = x;
    e.mY = y;
    return e;
}

DemoEvent Button(int update, bool down, int clicks)
{
    DemoEvent e = Make(DemoEventKind::MouseButton, update);
    e.mFlag = down;
    e.mClicks = clicks;
    return e;
}

DemoEvent WithFlag(DemoEventKind kind, int update, bool flag)
{
    DemoEvent e = Make(kind, update);
    e.mFlag = flag;
    return e;
}

DemoEvent WithCode(DemoEventKind kind, int update, int code)
{
    DemoEvent e = Make(kind, update);
    e.mCode = code;
    return e;
}

DemoEvent WithBytes(DemoEventKind kind, int update, bool flag, int32_t number, int code, const std::string& bytes)
{
    DemoEvent e = Make(kind, update);
    e.mFlag = flag;
    e.mNumber = number;
    e.mCode = code;
    e.mBytes = bytes;
    return e;
}

// Every kind with the values at the edges of its fields, at gaps of 0, 1, 15, 16 and 40 updates.
std::vector<DemoEvent> EveryKind()
{
    const std::string binary("\0\xff\x80zq", 5);
    return {
        WithCode(DemoEventKind::Display, 0, 255),
        WithFlag(DemoEventKind::Display, 0, true),
        Mouse(DemoEventKind::MouseMove, 1, 31, -32),
        Mouse(DemoEventKind::MouseMove, 1, -1, 0),
        Button(16, true, 1),
        Button(16, false, 2),
        Button(16, true, -1),
        Button(31, true, -2),
        Button(31, false, 3),
        Mouse(DemoEventKind::MousePosition, 71, 2047, -2048),
        Mouse(DemoEventKind::MousePosition, 71, -5, -1),
        WithFlag(DemoEventKind::Activation, 72, true),
        WithFlag(DemoEventKind::Activation, 72, false),
        WithFlag(DemoEventKind::Minimised, 73, true),
        WithCode(DemoEventKind::KeyDown, 73, 255),
        WithCode(DemoEventKind::KeyUp, 73, 0),
        WithCode(DemoEventKind::Character, 74, 0xE9),
        Make(DemoEventKind::Close, 74),
        Make(DemoEventKind::MouseEntered, 89),
        Make(DemoEventKind::MouseLeft, 105),
        Make(DemoEventKind::LoadingDone, 105),
        WithBytes(DemoEventKind::RegistryRead, 106, true, 4, 0, binary),
        WithBytes(DemoEventKind::RegistryRead, 106, true, 1, 0, ""),
        WithFlag(DemoEventKind::RegistryRead, 106, false),
        WithFlag(DemoEventKind::RegistryWrite, 107, true),
        WithFlag(DemoEventKind::RegistryWrite, 107, false),
        WithBytes(DemoEventKind::FileRead, 108, true, 0, 0, binary),
        WithFlag(DemoEventKind::FileRead, 108, false),
        WithBytes(DemoEventKind::HttpResult, 109, false, -7, 200, binary),
        WithBytes(DemoEventKind::HttpResult, 109, false, 3, 0, ""),
        WithBytes(DemoEventKind::Data, 109, false, 0, 0, binary),
        WithBytes(DemoEventKind::Data, 110, false, 0, 0, ""),
        WithCode(DemoEventKind::MouseWheel, 110, -128),
        WithCode(DemoEventKind::MouseWheel, 110, 127),
        Make(DemoEventKind::Close, 150),
    };
}

Buffer Write(const std::vector<DemoEvent>& events)
{
    Buffer stream;
    DemoStreamWriter writer(stream);
    for (const DemoEvent& e : events)
        writer.Write(e);
    return stream;
}

// Plays the stream the way the application does: every due event, then the next update.
std::vector<DemoEvent> PlayAll(Buffer& stream, int lastUpdate)
{
    std::vector<DemoEvent> played;
    DemoStreamReader reader(stream);
    for (int update = 0; update <= lastUpdate + 1; ++update) {
        DemoEvent e;
        DemoRead r;
        while ((r = reader.Next(update, e)) == DemoRead::Event)
            played.push_back(e);
        if (r == DemoRead::End)
            break;
    }
    return played;
}

std::string Describe(const DemoEvent& e)
{
    return std::string(Olvarn::DemoEventName(e.mKind)) + " at " + std::to_string(e.mUpdate) + " (" +
           std::to_string(e.mX) + "," + std::to_string(e.mY) + " clicks " + std::to_string(e.mClicks) + " flag " +
           std::to_string(e.mFlag) + " code " + std::to_string(e.mCode) + " number " + std::to_string(e.mNumber) +
           " bytes " + std::to_string(e.mBytes.size()) + ")";
}

void ExpectSame(const std::vector<DemoEvent>& want, const std::vector<DemoEvent>& got)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(Describe(want[i]));
        EXPECT_EQ(Describe(got[i]), Describe(want[i]));
        EXPECT_EQ(got[i], want[i]);
    }
}

std::string Bits(const Buffer& stream)
{
    std::string bits;
    for (int p = 0; p < stream.BitLength(); ++p)
        bits += ((stream.GetData()[p / 8] >> (p % 8)) & 1) ? '1' : '0';
    return bits;
}

std::vector<unsigned char> Bytes(const Buffer& stream)
{
    return std::vector<unsigned char>(stream.GetData(), stream.GetData() + stream.ByteLength());
}

Buffer FromBytes(const std::vector<unsigned char>& bytes)
{
    Buffer b;
    b.SetData(bytes.data(), static_cast<int>(bytes.size()));
    return b;
}

DemoFile SampleFile(const std::vector<DemoEvent>& events)
{
    DemoFile file;
    file.mSeed = 0xDEADBEEF;
    file.mProductVersion = kProduct;
    file.mLabels = {{"start", 0}, {"level two", 1234}, {"", -1}};
    file.mTotalUpdates = events.back().mUpdate;
    file.mStream = Bytes(Write(events));
    return file;
}

} // namespace

TEST(DemoStream, EveryEventKindReplaysAsWritten)
{
    std::vector<DemoEvent> events = EveryKind();
    Buffer stream = Write(events);
    ExpectSame(events, PlayAll(stream, events.back().mUpdate));

    // The same after the stream went through a file, padded to whole bytes.
    Buffer fromFile = FromBytes(Bytes(stream));
    ExpectSame(events, PlayAll(fromFile, events.back().mUpdate));
}

TEST(DemoStream, HeadersAndPayloadsHaveTheirExactBits)
{
    struct Case {
        const char* name;
        std::vector<DemoEvent> events;
        const char* bits; // stream order, least significant bit of each field first
    };
    const Case cases[] = {
        // delta 0, short, code 0, dx 3, dy -2
        {"relative move",
         {Mouse(DemoEventKind::MouseMove, 0, 3, -2)},
         "0000"
         "1"
         "0"
         "110000"
         "011111"},
        // a right double click is the 3-bit value 6
        {"right double click",
         {Button(0, true, -2)},
         "0000"
         "1"
         "1"
         "1"
         "011"},
        // 40 updates: two fillers of 15, then the event with the remaining 10
        {"gap of 40",
         {Make(DemoEventKind::Close, 40)},
         "1111"
         "0"
         "11111"
         "1111"
         "0"
         "11111"
         "0101"
         "0"
         "01100"},
        // exactly 15 needs no filler
        {"gap of 15",
         {Make(DemoEventKind::Close, 15)},
         "1111"
         "0"
         "01100"},
        // -1 is written as its low 12 bits
        {"negative position",
         {Mouse(DemoEventKind::MousePosition, 0, -1, 1)},
         "0000"
         "0"
         "00000"
         "111111111111"
         "100000000000"},
        {"display",
         {WithFlag(DemoEventKind::Display, 0, true)},
         "0000"
         "0"
         "11101"
         "10000000"
         "00000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Bits(Write(c.events)), c.bits);
    }
}

TEST(DemoStream, AnUpdateCountGoingBackIsWrittenWithoutGap)
{
    Buffer stream = Write({Make(DemoEventKind::Close, 20), Make(DemoEventKind::LoadingDone, 5)});
    std::vector<DemoEvent> played = PlayAll(stream, 20);
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[1].mUpdate, 20);
}

TEST(DemoStream, MouseMotionTakesTheShortEventOnlyWhenBothStepsFit)
{
    struct Case {
        int dx, dy;
        DemoEventKind kind;
    };
    const Case cases[] = {
        {31, -31, DemoEventKind::MouseMove},
        {32, 0, DemoEventKind::MousePosition},
        {0, -32, DemoEventKind::MousePosition},
        {0, 0, DemoEventKind::MouseMove},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
        DemoEvent e = DemoStreamWriter::MouseMotion(7, 100, 200, 100 + c.dx, 200 + c.dy);
        EXPECT_EQ(e.mKind, c.kind);
        EXPECT_EQ(e.mUpdate, 7);
        if (c.kind == DemoEventKind::MouseMove) {
            EXPECT_EQ(e.mX, c.dx);
            EXPECT_EQ(e.mY, c.dy);
        } else {
            EXPECT_EQ(e.mX, 100 + c.dx);
            EXPECT_EQ(e.mY, 200 + c.dy);
        }
    }
}

TEST(DemoStream, PaddingAfterTheLastEventIsTheEnd)
{
    // A file pads the stream to whole bytes with zero bits, which read as a header would be a
    // mouse position event to (0, 0). Activation events take 11 bits, so 1 to 8 of them leave
    // every count of padding bits from 0 to 7.
    for (int count = 1; count <= 8; ++count) {
        std::vector<DemoEvent> events(count, WithFlag(DemoEventKind::Activation, 0, true));
        Buffer written = Write(events);
        SCOPED_TRACE("padding " + std::to_string(written.ByteLength() * 8 - written.BitLength()));
        Buffer stream = FromBytes(Bytes(written));
        DemoStreamReader reader(stream);
        DemoEvent e;
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(reader.Next(0, e), DemoRead::Event);
            EXPECT_EQ(e, events[i]);
        }
        EXPECT_EQ(reader.Next(0, e), DemoRead::End);
        EXPECT_TRUE(reader.AtEnd());
        EXPECT_FALSE(reader.Damaged());
        EXPECT_EQ(reader.LastEventUpdate(), 0);
    }
}

TEST(DemoStream, EventsWaitForTheirUpdate)
{
    Buffer stream = Write({Make(DemoEventKind::MouseEntered, 3)});
    DemoStreamReader reader(stream);
    DemoEvent e;
    EXPECT_EQ(reader.Next(0, e), DemoRead::NotDue);
    EXPECT_FALSE(reader.PeekDue(2));
    EXPECT_TRUE(reader.PeekDue(3));
    EXPECT_EQ(reader.LastEventUpdate(), 3);
    EXPECT_EQ(reader.Next(3, e), DemoRead::Event);
    EXPECT_EQ(reader.Next(3, e), DemoRead::End);
    // A gap longer than 15 is not due at the fillers' update counts.
    Buffer gap = Write({Make(DemoEventKind::MouseEntered, 40)});
    DemoStreamReader gapReader(gap);
    for (int update = 0; update < 40; ++update)
        ASSERT_EQ(gapReader.Next(update, e), DemoRead::NotDue) << update;
    EXPECT_EQ(gapReader.Next(40, e), DemoRead::Event);
}

TEST(DemoStream, TooLongStringsAreCutToTheirLengthField)
{
    DemoEvent http = WithBytes(DemoEventKind::HttpResult, 0, false, 1, 200, std::string(40000, 'x'));
    DemoEvent key = WithCode(DemoEventKind::KeyDown, 1, 65);
    Buffer stream = Write({http, key});
    std::vector<DemoEvent> played = PlayAll(stream, 1);
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[0].mBytes, std::string(Buffer::kMaxStringLength, 'x'));
    EXPECT_EQ(played[1], key);
}

TEST(DemoStream, SyncEventsMetByThePlayerAreSkippedWhole)
{
    DemoEvent data = WithBytes(DemoEventKind::Data, 0, false, 0, 0, std::string("\x06\x07\x08", 3));
    DemoEvent key = WithCode(DemoEventKind::KeyDown, 0, 65);
    Buffer stream = Write({data, key});
    DemoStreamReader reader(stream);
    DemoEvent e;
    ASSERT_EQ(reader.Next(0, e), DemoRead::Event);
    EXPECT_TRUE(Olvarn::IsDemoSyncEvent(e.mKind));
    EXPECT_EQ(e, data);
    ASSERT_EQ(reader.Next(0, e), DemoRead::Event);
    EXPECT_EQ(e, key);
}

TEST(DemoStream, SyncReadsTakeOnlyTheirOwnKind)
{
    DemoEvent file = WithBytes(DemoEventKind::FileRead, 20, true, 0, 0, "contents");
    DemoEvent key = WithCode(DemoEventKind::KeyDown, 20, 65);
    Buffer stream = Write({file, key});
    DemoStreamReader reader(stream);
    DemoEvent e;
    // The fillers before it are passed over; another kind is left for whoever expects it.
    EXPECT_EQ(reader.TakeSync(DemoEventKind::Data, e), DemoRead::Mismatch);
    ASSERT_EQ(reader.TakeSync(DemoEventKind::FileRead, e), DemoRead::Event);
    EXPECT_EQ(e, file);
    EXPECT_EQ(reader.TakeSync(DemoEventKind::FileRead, e), DemoRead::Mismatch);
    ASSERT_EQ(reader.Next(20, e), DemoRead::Event);
    EXPECT_EQ(e, key);
    EXPECT_EQ(reader.TakeSync(DemoEventKind::FileRead, e), DemoRead::End);
}

TEST(DemoStream, DamagedStreamsEndPlayback)
{
    struct Case {
        const char* name;
        Buffer stream;
    };
    Buffer unknownCode;
    unknownCode.AppendBits(0, 4);
    unknownCode.AppendBits(0, 1);
    unknownCode.AppendBits(10, 5);
    unknownCode.AppendBits(0, 16);
    Buffer cutPayload = Write({WithBytes(DemoEventKind::Data, 0, false, 0, 0, "abcdef")});
    std::vector<unsigned char> cut = Bytes(cutPayload);
    cut.resize(cut.size() - 2);
    // A data event whose length runs far past the stream.
    Buffer hugeLength;
    hugeLength.AppendBits(0, 4);
    hugeLength.AppendBits(0, 1);
    hugeLength.AppendBits(18, 5);
    hugeLength.AppendInt32(0x7FFFFFF0);
    hugeLength.AppendInt32(0);
    // An HTTP result whose content length has the top bit set, which no writer makes.
    Buffer negativeString;
    negativeString.AppendBits(0, 4);
    negativeString.AppendBits(0, 1);
    negativeString.AppendBits(17, 5);
    negativeString.AppendInt32(1);
    negativeString.AppendByte(200);
    negativeString.AppendByte(3);
    negativeString.AppendByte(0x80);
    negativeString.AppendBytes(reinterpret_cast<const unsigned char*>("abc"), 3);
    Case cases[] = {
        {"unknown code", std::move(unknownCode)},
        {"payload cut short", FromBytes(cut)},
        {"length beyond the stream", FromBytes(Bytes(hugeLength))},
        {"negative string length", FromBytes(Bytes(negativeString))},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        DemoStreamReader reader(c.stream);
        DemoEvent e;
        EXPECT_EQ(reader.Next(0, e), DemoRead::End);
        EXPECT_TRUE(reader.Damaged());
        EXPECT_EQ(reader.Next(0, e), DemoRead::End);
        EXPECT_LE(c.stream.ReadBitPos(), c.stream.BitLength());
    }
}

TEST(DemoFile, WritesAndReadsEveryField)
{
    std::vector<DemoEvent> events = EveryKind();
    DemoFile file = SampleFile(events);
    std::vector<unsigned char> bytes = file.Serialize();
    ASSERT_GE(bytes.size(), 14u);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 8),
              (std::vector<unsigned char>{0x78, 0xEF, 0xBE, 0x42, 2, 0, 0, 0}));

    DemoFile read;
    std::string error;
    ASSERT_TRUE(DemoFile::Parse(bytes.data(), bytes.size(), kProduct, read, error)) << error;
    EXPECT_EQ(read.mVersion, 2);
    EXPECT_EQ(read.mSeed, 0xDEADBEEFu);
    EXPECT_EQ(read.mProductVersion, kProduct);
    EXPECT_EQ(read.mLabels, file.mLabels);
    EXPECT_EQ(read.mTotalUpdates, 150);
    EXPECT_EQ(read.mStream, file.mStream);
    Buffer stream = FromBytes(read.mStream);
    ExpectSame(events, PlayAll(stream, read.mTotalUpdates));

    testsupport::SaveFuzzSeed("demo", "every-kind", std::string(bytes.begin(), bytes.end()));
}

TEST(DemoFile, VersionOneHasNoLabels)
{
    DemoFile file = SampleFile(EveryKind());
    file.mVersion = 1;
    std::vector<unsigned char> bytes = file.Serialize();
    DemoFile read;
    std::string error;
    ASSERT_TRUE(DemoFile::Parse(bytes.data(), bytes.size(), kProduct, read, error)) << error;
    EXPECT_TRUE(read.mLabels.empty());
    EXPECT_EQ(read.mStream, file.mStream);
}

TEST(DemoFile, LongVersionTextsAreReadWhole)
{
    // Longer than 255 bytes: a text read only in part would leave the rest to be taken for the labels.
    std::string product(300, 'v');
    DemoFile file = SampleFile(EveryKind());
    file.mProductVersion = product;
    std::vector<unsigned char> bytes = file.Serialize();
    DemoFile read;
    std::string error;
    ASSERT_TRUE(DemoFile::Parse(bytes.data(), bytes.size(), product, read, error)) << error;
    EXPECT_EQ(read.mLabels, file.mLabels);

    EXPECT_FALSE(DemoFile::Parse(bytes.data(), bytes.size(), kProduct, read, error));
    EXPECT_EQ(error, "This demo file appears to be for '" + product + "'");
}

TEST(DemoFile, RefusesWithTheExactTexts)
{
    const std::string invalid = "Invalid demo file.";
    std::vector<unsigned char> good = SampleFile(EveryKind()).Serialize();
    const size_t labelsAt = 14 + kProduct.size(); // the label block's length
    auto with = [&](size_t at, std::vector<unsigned char> bytes) {
        std::vector<unsigned char> out = good;
        for (size_t i = 0; i < bytes.size(); ++i)
            out[at + i] = bytes[i];
        return out;
    };
    DemoFile noStream = SampleFile(EveryKind());
    noStream.mStream.clear();
    DemoFile fewerLabels = SampleFile(EveryKind());
    std::vector<unsigned char> moreCounted = fewerLabels.Serialize();
    moreCounted[labelsAt + 4] = 4; // the count says 4, the block holds 3
    DemoFile foreign = SampleFile(EveryKind());
    foreign.mProductVersion = "Other 2.0";

    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        std::string error;
    };
    const Case cases[] = {
        {"empty", {}, invalid},
        {"wrong magic", with(0, {0x79}), invalid},
        {"header cut", std::vector<unsigned char>(good.begin(), good.begin() + 10), invalid},
        {"version text cut", std::vector<unsigned char>(good.begin(), good.begin() + 16), invalid},
        {"other product", foreign.Serialize(), "This demo file appears to be for 'Other 2.0'"},
        {"label block too long", with(labelsAt, {0xFF, 0xFF, 0, 0}), invalid},
        {"label block negative", with(labelsAt, {0xFF, 0xFF, 0xFF, 0xFF}), invalid},
        {"fewer labels than counted", moreCounted, invalid},
        {"label cut inside", with(labelsAt, {6, 0, 0, 0}), invalid},
        {"no stream", noStream.Serialize(), invalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DemoFile read;
        read.mSeed = 77;
        std::string error;
        EXPECT_FALSE(DemoFile::Parse(c.bytes.data(), c.bytes.size(), kProduct, read, error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(read.mSeed, 77u);
    }
}

TEST(DemoFile, LoadNamesAMissingFile)
{
    testsupport::TempDir dir;
    DemoFile read;
    std::string error;
    std::string path = dir.File("missing.dmo");
    EXPECT_FALSE(DemoFile::Load(path, kProduct, read, error));
    EXPECT_EQ(error, "Demo file not found: " + path);

    std::vector<unsigned char> bytes = SampleFile(EveryKind()).Serialize();
    dir.WriteFile("good.dmo", std::string(bytes.begin(), bytes.end()));
    ASSERT_TRUE(DemoFile::Load(dir.File("good.dmo"), kProduct, read, error)) << error;
    EXPECT_EQ(read.mTotalUpdates, 150);
}

TEST(DemoFile, HostileBytesEndCleanly)
{
    // Every cut of a good file, and seeded bit flips of it: a load fails with one of the texts or
    // gives a stream that plays to a clean end without reading past it.
    std::vector<unsigned char> good = SampleFile(EveryKind()).Serialize();
    auto playThrough = [](const DemoFile& file) {
        Buffer stream = FromBytes(file.mStream);
        DemoStreamReader reader(stream);
        DemoEvent e;
        for (int update = 0; update < 1000 && !reader.AtEnd(); ++update)
            while (reader.Next(update, e) == DemoRead::Event) {
            }
        EXPECT_LE(stream.ReadBitPos(), stream.BitLength());
    };
    auto check = [&](const std::vector<unsigned char>& bytes) {
        DemoFile read;
        std::string error;
        if (DemoFile::Parse(bytes.data(), bytes.size(), kProduct, read, error)) {
            EXPECT_TRUE(error.empty());
            playThrough(read);
        } else {
            EXPECT_TRUE(error == "Invalid demo file." || error.rfind("This demo file appears to be for '", 0) == 0)
                << error;
        }
    };
    for (size_t cut = 0; cut < good.size(); ++cut)
        check(std::vector<unsigned char>(good.begin(), good.begin() + cut));

    Olvarn::Random random(1234);
    for (int round = 0; round < 2000; ++round) {
        std::vector<unsigned char> bytes = good;
        int flips = 1 + random.Next() % 4;
        for (int i = 0; i < flips; ++i) {
            size_t bit = random.Next() % (bytes.size() * 8);
            bytes[bit / 8] ^= static_cast<unsigned char>(1u << (bit % 8));
        }
        check(bytes);
    }
}
