// The demo event stream: a 4-bit update delta, a form bit and a 1- or 5-bit code before each event,
// then the event's payload.
#include "app/DemoStream.h"

#include <climits>

namespace Olvarn
{

namespace
{

struct KindCode {
    DemoEventKind mKind;
    bool mShortForm;
    int mCode;
    const char* mName;
};

constexpr KindCode kKindCodes[] = {
    {DemoEventKind::MouseMove, true, 0, "mouse move"},
    {DemoEventKind::MouseButton, true, 1, "mouse button"},
    {DemoEventKind::MousePosition, false, 0, "mouse position"},
    {DemoEventKind::Activation, false, 1, "activation"},
    {DemoEventKind::Minimised, false, 2, "minimised"},
    {DemoEventKind::KeyDown, false, 3, "key down"},
    {DemoEventKind::KeyUp, false, 4, "key up"},
    {DemoEventKind::Character, false, 5, "character"},
    {DemoEventKind::Close, false, 6, "close"},
    {DemoEventKind::MouseEntered, false, 7, "mouse entered"},
    {DemoEventKind::MouseLeft, false, 8, "mouse left"},
    {DemoEventKind::LoadingDone, false, 9, "loading done"},
    {DemoEventKind::RegistryRead, false, 11, "registry read"},
    {DemoEventKind::RegistryWrite, false, 12, "registry write"},
    {DemoEventKind::FileRead, false, 15, "file read"},
    {DemoEventKind::HttpResult, false, 17, "HTTP result"},
    {DemoEventKind::Data, false, 18, "data"},
    {DemoEventKind::MouseWheel, false, 21, "mouse wheel"},
    {DemoEventKind::Display, false, 23, "display"},
    {DemoEventKind::Filler, false, 31, "filler"},
};

const KindCode& CodeOf(DemoEventKind kind)
{
    for (const KindCode& entry : kKindCodes)
        if (entry.mKind == kind)
            return entry;
    return kKindCodes[sizeof(kKindCodes) / sizeof(kKindCodes[0]) - 1];
}

const KindCode* KindOf(bool shortForm, int code)
{
    for (const KindCode& entry : kKindCodes)
        if (entry.mShortForm == shortForm && entry.mCode == code)
            return &entry;
    return nullptr;
}

constexpr int kMaxDelta = 15;
constexpr int kMaxMoveStep = 31;

void AppendRaw(Buffer& stream, const std::string& bytes)
{
    stream.AppendBytes(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
}

void AppendSized(Buffer& stream, const std::string& bytes)
{
    stream.AppendInt32(static_cast<int32_t>(bytes.size()));
    AppendRaw(stream, bytes);
}

} // namespace

bool DemoEvent::operator==(const DemoEvent& other) const
{
    return mKind == other.mKind && mUpdate == other.mUpdate && mX == other.mX && mY == other.mY &&
           mClicks == other.mClicks && mFlag == other.mFlag && mCode == other.mCode && mNumber == other.mNumber &&
           mBytes == other.mBytes;
}

bool IsDemoSyncEvent(DemoEventKind kind)
{
    switch (kind) {
    case DemoEventKind::RegistryRead:
    case DemoEventKind::RegistryWrite:
    case DemoEventKind::FileRead:
    case DemoEventKind::HttpResult:
    case DemoEventKind::Data:
        return true;
    default:
        return false;
    }
}

const char* DemoEventName(DemoEventKind kind)
{
    return CodeOf(kind).mName;
}

void DemoStreamWriter::WriteTimeStep(int updateCount)
{
    if (updateCount < mLastEventUpdate)
        updateCount = mLastEventUpdate;
    const KindCode& filler = CodeOf(DemoEventKind::Filler);
    while (updateCount - mLastEventUpdate > kMaxDelta) {
        mStream.AppendBits(kMaxDelta, 4);
        mLastEventUpdate += kMaxDelta;
        mStream.AppendBits(0, 1);
        mStream.AppendBits(filler.mCode, 5);
    }
    mStream.AppendBits(static_cast<uint32_t>(updateCount - mLastEventUpdate), 4);
    mLastEventUpdate = updateCount;
}

void DemoStreamWriter::Write(const DemoEvent& event)
{
    const KindCode& code = CodeOf(event.mKind);
    WriteTimeStep(event.mUpdate);
    mStream.AppendBits(code.mShortForm ? 1 : 0, 1);
    mStream.AppendBits(code.mCode, code.mShortForm ? 1 : 5);
    WritePayload(event);
}

void DemoStreamWriter::WritePayload(const DemoEvent& event)
{
    switch (event.mKind) {
    case DemoEventKind::MouseMove:
        mStream.AppendBits(static_cast<uint32_t>(event.mX), 6);
        mStream.AppendBits(static_cast<uint32_t>(event.mY), 6);
        break;
    case DemoEventKind::MouseButton:
        mStream.AppendBits(event.mFlag ? 1 : 0, 1);
        mStream.AppendBits(static_cast<uint32_t>(event.mClicks), 3);
        break;
    case DemoEventKind::MousePosition:
        mStream.AppendBits(static_cast<uint32_t>(event.mX), 12);
        mStream.AppendBits(static_cast<uint32_t>(event.mY), 12);
        break;
    case DemoEventKind::Activation:
    case DemoEventKind::RegistryWrite:
        mStream.AppendBits(event.mFlag ? 1 : 0, 1);
        break;
    case DemoEventKind::Minimised:
        mStream.AppendBool(event.mFlag);
        break;
    case DemoEventKind::KeyDown:
    case DemoEventKind::KeyUp:
    case DemoEventKind::Character:
        mStream.AppendByte(static_cast<unsigned char>(event.mCode));
        break;
    case DemoEventKind::RegistryRead:
        mStream.AppendBits(event.mFlag ? 1 : 0, 1);
        if (event.mFlag) {
            mStream.AppendInt32(event.mNumber);
            AppendSized(mStream, event.mBytes);
        }
        break;
    case DemoEventKind::FileRead:
        mStream.AppendBits(event.mFlag ? 1 : 0, 1);
        if (event.mFlag)
            AppendSized(mStream, event.mBytes);
        break;
    case DemoEventKind::HttpResult:
        mStream.AppendInt32(event.mNumber);
        mStream.AppendByte(static_cast<unsigned char>(event.mCode));
        mStream.AppendString(event.mBytes);
        break;
    case DemoEventKind::Data:
        AppendSized(mStream, event.mBytes);
        break;
    case DemoEventKind::MouseWheel:
        mStream.AppendBits(static_cast<uint32_t>(event.mCode), 8);
        break;
    case DemoEventKind::Display:
        mStream.AppendBool(event.mFlag);
        mStream.AppendByte(static_cast<unsigned char>(event.mCode));
        break;
    case DemoEventKind::Close:
    case DemoEventKind::MouseEntered:
    case DemoEventKind::MouseLeft:
    case DemoEventKind::LoadingDone:
    case DemoEventKind::Filler:
        break;
    }
}

DemoEvent DemoStreamWriter::MouseMotion(int update, int fromX, int fromY, int toX, int toY)
{
    DemoEvent event;
    event.mUpdate = update;
    int dx = toX - fromX;
    int dy = toY - fromY;
    bool fits = dx >= -kMaxMoveStep && dx <= kMaxMoveStep && dy >= -kMaxMoveStep && dy <= kMaxMoveStep;
    event.mKind = fits ? DemoEventKind::MouseMove : DemoEventKind::MousePosition;
    event.mX = fits ? dx : toX;
    event.mY = fits ? dy : toY;
    return event;
}

bool DemoStreamReader::Has(int64_t bits) const
{
    return static_cast<int64_t>(mStream.BitLength()) - mStream.ReadBitPos() >= bits;
}

bool DemoStreamReader::Fail()
{
    mEnded = true;
    mDamaged = true;
    return false;
}

bool DemoStreamReader::AtEnd()
{
    // Up to 7 padding bits close the last byte of a stream; read as a header they would be a
    // mouse position event to (0, 0) that was never recorded.
    if (!mEnded && mHeaderNeeded && !Has(kSmallestEventBits))
        mEnded = true;
    return mEnded;
}

bool DemoStreamReader::ReadHeader()
{
    if (AtEnd())
        return false;
    int delta = mStream.TakeBits(4, false);
    bool shortForm = mStream.TakeBits(1, false) != 0;
    int code = mStream.TakeBits(shortForm ? 1 : 5, false);
    const KindCode* entry = KindOf(shortForm, code);
    if (!entry || mLastEventUpdate > INT_MAX - kMaxDelta)
        return Fail();
    mLastEventUpdate += delta;
    mKind = entry->mKind;
    mHeaderNeeded = false;
    return true;
}

bool DemoStreamReader::PeekDue(int updateCount)
{
    if (mHeaderNeeded && !ReadHeader())
        return false;
    return mLastEventUpdate == updateCount;
}

bool DemoStreamReader::SkipDueFillers(int updateCount)
{
    while (PeekDue(updateCount) && mKind == DemoEventKind::Filler)
        mHeaderNeeded = true;
    return !mEnded;
}

DemoRead DemoStreamReader::Next(int updateCount, DemoEvent& event)
{
    if (!SkipDueFillers(updateCount))
        return DemoRead::End;
    if (!PeekDue(updateCount))
        return AtEnd() ? DemoRead::End : DemoRead::NotDue;
    mHeaderNeeded = true;
    return ReadPayload(event) ? DemoRead::Event : DemoRead::End;
}

DemoRead DemoStreamReader::TakeHttpResult(int updateCount, int32_t transferId, DemoEvent& event)
{
    if (!SkipDueFillers(updateCount))
        return DemoRead::End;
    if (!PeekDue(updateCount))
        return AtEnd() ? DemoRead::End : DemoRead::NotDue;
    if (mKind != DemoEventKind::HttpResult)
        return DemoRead::Mismatch;
    if (!Has(32)) {
        Fail();
        return DemoRead::End;
    }
    // The id is looked at in place; the event is only taken when it is this transfer's.
    uint32_t id = 0;
    const unsigned char* bytes = mStream.GetData();
    const int start = mStream.ReadBitPos();
    for (int i = 0; i < 32; ++i) {
        int bit = start + i;
        id |= static_cast<uint32_t>((bytes[bit >> 3] >> (bit & 7)) & 1) << i;
    }
    if (static_cast<int32_t>(id) != transferId)
        return DemoRead::Mismatch;
    mHeaderNeeded = true;
    return ReadPayload(event) ? DemoRead::Event : DemoRead::End;
}

DemoRead DemoStreamReader::TakeSync(DemoEventKind kind, DemoEvent& event)
{
    for (;;) {
        if (mHeaderNeeded && !ReadHeader())
            return DemoRead::End;
        if (mKind != DemoEventKind::Filler)
            break;
        mHeaderNeeded = true;
    }
    if (mKind != kind)
        return DemoRead::Mismatch;
    mHeaderNeeded = true;
    return ReadPayload(event) ? DemoRead::Event : DemoRead::End;
}

bool DemoStreamReader::ReadPayload(DemoEvent& event)
{
    event = DemoEvent();
    event.mKind = mKind;
    event.mUpdate = mLastEventUpdate;
    // Reads of the given bits, or false when the stream ends inside them.
    auto readBytes = [this](int64_t count, std::string& out) {
        if (count < 0 || !Has(count * 8))
            return false;
        out.resize(static_cast<size_t>(count));
        for (char& c : out)
            c = static_cast<char>(mStream.TakeByte());
        return true;
    };
    auto readSized = [this, &readBytes](std::string& out) { return Has(32) && readBytes(mStream.TakeInt32(), out); };

    switch (mKind) {
    case DemoEventKind::MouseMove:
        if (!Has(12))
            return Fail();
        event.mX = mStream.TakeBits(6, true);
        event.mY = mStream.TakeBits(6, true);
        break;
    case DemoEventKind::MouseButton:
        if (!Has(4))
            return Fail();
        event.mFlag = mStream.TakeBits(1, false) != 0;
        event.mClicks = mStream.TakeBits(3, true);
        break;
    case DemoEventKind::MousePosition:
        // Signed: a captured mouse left of or above the window has negative coordinates.
        if (!Has(24))
            return Fail();
        event.mX = mStream.TakeBits(12, true);
        event.mY = mStream.TakeBits(12, true);
        break;
    case DemoEventKind::Activation:
    case DemoEventKind::RegistryWrite:
        if (!Has(1))
            return Fail();
        event.mFlag = mStream.TakeBits(1, false) != 0;
        break;
    case DemoEventKind::Minimised:
        if (!Has(8))
            return Fail();
        event.mFlag = mStream.TakeBool();
        break;
    case DemoEventKind::KeyDown:
    case DemoEventKind::KeyUp:
    case DemoEventKind::Character:
        if (!Has(8))
            return Fail();
        event.mCode = mStream.TakeByte();
        break;
    case DemoEventKind::RegistryRead:
        if (!Has(1))
            return Fail();
        event.mFlag = mStream.TakeBits(1, false) != 0;
        if (event.mFlag) {
            if (!Has(32))
                return Fail();
            event.mNumber = mStream.TakeInt32();
            if (!readSized(event.mBytes))
                return Fail();
        }
        break;
    case DemoEventKind::FileRead:
        if (!Has(1))
            return Fail();
        event.mFlag = mStream.TakeBits(1, false) != 0;
        if (event.mFlag && !readSized(event.mBytes))
            return Fail();
        break;
    case DemoEventKind::HttpResult: {
        if (!Has(32 + 8 + 16))
            return Fail();
        event.mNumber = mStream.TakeInt32();
        event.mCode = mStream.TakeByte();
        int low = mStream.TakeByte();
        int high = mStream.TakeByte();
        // A length with the top bit set is never written; reading on would take the content for events.
        if (!readBytes(static_cast<int16_t>(static_cast<uint16_t>(high * 256 + low)), event.mBytes))
            return Fail();
        break;
    }
    case DemoEventKind::Data:
        if (!readSized(event.mBytes))
            return Fail();
        break;
    case DemoEventKind::MouseWheel:
        if (!Has(8))
            return Fail();
        event.mCode = mStream.TakeBits(8, true);
        break;
    case DemoEventKind::Display:
        if (!Has(16))
            return Fail();
        event.mFlag = mStream.TakeBool();
        event.mCode = mStream.TakeByte();
        break;
    case DemoEventKind::Close:
    case DemoEventKind::MouseEntered:
    case DemoEventKind::MouseLeft:
    case DemoEventKind::LoadingDone:
    case DemoEventKind::Filler:
        break;
    }
    return true;
}

} // namespace Olvarn
