// HTTP/1.x reply reading with bounded sizes and strict line ends.
#include "app/HttpResponseParser.h"
#include "platform/TextEncoding.h"

#include <algorithm>

namespace Olvarn
{

namespace
{

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoreCase(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return i == a.size() && b[i] == '\0';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string TrimBlanks(const std::string& s)
{
    size_t begin = 0, end = s.size();
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decimal digits only, no sign, at most limit.
bool ParseDecimal(const std::string& text, uint64_t limit, uint64_t& out)
{
    if (text.empty())
        return false;
    uint64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c))
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit)
            return false;
    }
    out = value;
    return true;
}

// The header name characters of RFC 9110 (a token).
bool IsTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c))
        return true;
    switch (c) {
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '*':
    case '+':
    case '-':
    case '.':
    case '^':
    case '_':
    case '`':
    case '|':
    case '~':
        return true;
    default:
        return false;
    }
}

// A chunk size line is digits and short extensions; a longer one is a server gone astray.
constexpr size_t kMaxSizeLine = 1024;

} // namespace

HttpResponseParser HttpResponseParser::Parse(const std::string& bytes, const Limits& limits)
{
    HttpResponseParser parser(limits);
    if (parser.Feed(bytes) == State::NeedMore)
        parser.Finish();
    return parser;
}

HttpResponseParser::State HttpResponseParser::Feed(const char* data, size_t length)
{
    if (mState != State::NeedMore || length == 0)
        return mState;
    // Consumed bytes are dropped before new ones are kept, so the pending text stays small.
    if (mPos > 0) {
        mPending.erase(0, mPos);
        mPos = 0;
    }
    mPending.append(data, length);
    Step();
    return mState;
}

HttpResponseParser::State HttpResponseParser::Finish()
{
    if (mState != State::NeedMore)
        return mState;
    if (mPhase == Phase::Body && mFraming == Framing::Close)
        Complete();
    else if (mPhase == Phase::StatusLine && mPending.size() == mPos)
        Fail("connection closed before the status line");
    else
        Fail("connection closed before the reply was complete");
    return mState;
}

void HttpResponseParser::Fail(const std::string& why)
{
    mState = State::Failed;
    mError = why;
    mPhase = Phase::Finished;
}

void HttpResponseParser::Complete()
{
    mState = State::Done;
    mPhase = Phase::Finished;
}

// A line ends in carriage return and line feed; a bare line feed or carriage return inside the
// head is malformed. Lines of the head count against the header limit.
bool HttpResponseParser::TakeLine(std::string& line)
{
    size_t end = mPending.find("\r\n", mPos);
    const bool head = mPhase == Phase::StatusLine || mPhase == Phase::Headers || mPhase == Phase::Trailers;
    size_t available = (end == std::string::npos ? mPending.size() : end) - mPos;
    // A carriage return at the very end may be the first half of the line end: it does not count,
    // so where a reply is cut into pieces never changes the outcome.
    if (end == std::string::npos && available > 0 && mPending.back() == '\r')
        --available;
    if (head && mHeaderBytes + available > mLimits.mMaxHeaderBytes) {
        Fail("reply headers too long");
        return false;
    }
    if (!head && available > kMaxSizeLine) {
        Fail("chunk size line too long");
        return false;
    }
    if (end == std::string::npos)
        return false;
    line.assign(mPending, mPos, end - mPos);
    mPos = end + 2;
    if (head)
        mHeaderBytes += line.size() + 2;
    if (line.find_first_of("\r\n") != std::string::npos || line.find('\0') != std::string::npos) {
        Fail("stray line break or NUL in the reply head");
        return false;
    }
    return true;
}

void HttpResponseParser::Step()
{
    std::string line;
    while (mState == State::NeedMore) {
        switch (mPhase) {
        case Phase::StatusLine:
            if (!TakeLine(line))
                return;
            StatusLine(line);
            break;
        case Phase::Headers:
            if (!TakeLine(line))
                return;
            if (line.empty())
                EndOfHeaders();
            else
                HeaderLine(line);
            break;
        case Phase::Body: {
            size_t available = mPending.size() - mPos;
            if (mFraming == Framing::Length) {
                TakeBody(static_cast<size_t>(std::min<uint64_t>(mContentLength - mBody.size(), available)));
                if (mState == State::NeedMore && mBody.size() == mContentLength)
                    Complete();
            } else {
                TakeBody(available);
            }
            return;
        }
        case Phase::ChunkSize:
            if (!TakeLine(line))
                return;
            ChunkSizeLine(line);
            break;
        case Phase::ChunkData: {
            size_t available = mPending.size() - mPos;
            if (available == 0)
                return;
            size_t take = static_cast<size_t>(std::min<uint64_t>(mChunkLeft, available));
            TakeBody(take);
            mChunkLeft -= take;
            if (mChunkLeft == 0 && mState == State::NeedMore)
                mPhase = Phase::ChunkDataEnd;
            break;
        }
        case Phase::ChunkDataEnd:
            if (mPending.size() - mPos < 2)
                return;
            if (mPending.compare(mPos, 2, "\r\n") != 0) {
                Fail("chunk data not followed by a line end");
                return;
            }
            mPos += 2;
            mPhase = Phase::ChunkSize;
            break;
        case Phase::Trailers:
            if (!TakeLine(line))
                return;
            if (line.empty())
                Complete();
            break;
        case Phase::Finished:
            return;
        }
    }
}

void HttpResponseParser::TakeBody(size_t wanted)
{
    if (mBody.size() + wanted > mLimits.mMaxBodyBytes) {
        Fail("reply body too long");
        return;
    }
    mBody.append(mPending, mPos, wanted);
    mPos += wanted;
}

// "HTTP/1.x NNN" and, optionally, a blank and a reason.
void HttpResponseParser::StatusLine(const std::string& line)
{
    if (line.size() < 12 || line.compare(0, 7, "HTTP/1.") != 0 || !IsDigit(line[7]) || line[8] != ' ' ||
        !IsDigit(line[9]) || !IsDigit(line[10]) || !IsDigit(line[11]) || (line.size() > 12 && line[12] != ' ')) {
        Fail("malformed status line");
        return;
    }
    int status = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
    if (status < 100) {
        Fail("malformed status line");
        return;
    }
    mStatus = status;
    mPhase = Phase::Headers;
}

void HttpResponseParser::HeaderLine(const std::string& line)
{
    size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) {
        Fail("malformed header line");
        return;
    }
    std::string name = line.substr(0, colon);
    if (!std::all_of(name.begin(), name.end(), IsTokenChar)) {
        Fail("malformed header name");
        return;
    }
    std::string value = TrimBlanks(line.substr(colon + 1));
    if (EqualsIgnoreCase(name, "content-length")) {
        uint64_t length = 0;
        if (!ParseDecimal(value, UINT64_C(0xFFFFFFFFFFFF), length)) {
            Fail("malformed Content-Length");
            return;
        }
        if (mHaveLength && length != mContentLength) {
            Fail("conflicting Content-Length headers");
            return;
        }
        mHaveLength = true;
        mContentLength = length;
    } else if (EqualsIgnoreCase(name, "transfer-encoding")) {
        // Codings are a comma-separated list; chunked must be the last one applied.
        size_t comma = value.rfind(',');
        std::string last = TrimBlanks(comma == std::string::npos ? value : value.substr(comma + 1));
        if (EqualsIgnoreCase(last, "chunked")) {
            mChunked = true;
        } else if (!EqualsIgnoreCase(value, "identity")) {
            Fail("unsupported transfer coding");
        }
    }
}

void HttpResponseParser::EndOfHeaders()
{
    mPhase = Phase::Body;
    if (mChunked) {
        mFraming = Framing::Chunked;
        mPhase = Phase::ChunkSize;
    } else if (mHaveLength) {
        mFraming = Framing::Length;
        if (mContentLength > mLimits.mMaxBodyBytes)
            Fail("reply body too long");
        else if (mContentLength == 0)
            Complete();
    } else if (mStatus == 204 || mStatus == 304 || mStatus < 200) {
        // Replies that never carry a body end with their headers.
        Complete();
    } else {
        mFraming = Framing::Close;
    }
}

// Hexadecimal digits, then optional blanks and ";" extensions, which are skipped.
void HttpResponseParser::ChunkSizeLine(const std::string& line)
{
    size_t i = 0;
    uint64_t size = 0;
    while (i < line.size() && HexDigitValue(line[i]) >= 0) {
        size = size * 16 + static_cast<uint64_t>(HexDigitValue(line[i]));
        if (size > kMaxChunkSize) {
            Fail("chunk size too large");
            return;
        }
        ++i;
    }
    if (i == 0) {
        Fail("malformed chunk size");
        return;
    }
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i < line.size() && line[i] != ';') {
        Fail("malformed chunk size");
        return;
    }
    if (size == 0) {
        mPhase = Phase::Trailers;
        return;
    }
    if (mBody.size() + size > mLimits.mMaxBodyBytes) {
        Fail("reply body too long");
        return;
    }
    mChunkLeft = size;
    mPhase = Phase::ChunkData;
}

} // namespace Olvarn
