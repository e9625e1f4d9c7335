// Reads an HTTP/1.x reply as it arrives: the status line, the headers and a body framed by its
// length, by chunks or by the end of the connection. Pure: it sees only the bytes it is fed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Olvarn
{

// The largest reply head and body a parser accepts; anything larger is a failed reply.
struct HttpReplyLimits {
    size_t mMaxHeaderBytes = 64 * 1024;
    size_t mMaxBodyBytes = 16 * 1024 * 1024;
};

class HttpResponseParser
{
public:
    enum class State {
        NeedMore, // the reply is not complete yet
        Done,     // the reply ended properly (the body is complete)
        Failed    // the bytes are not a well-formed reply, or they exceed a limit
    };

    using Limits = HttpReplyLimits;

    HttpResponseParser() = default;
    explicit HttpResponseParser(const Limits& limits) : mLimits(limits) {}

    // Takes the next bytes of the reply. Bytes after a complete reply are ignored.
    State Feed(const char* data, size_t length);
    State Feed(const std::string& bytes) { return Feed(bytes.data(), bytes.size()); }
    // The server closed the connection: completes a body that runs to the end of the connection;
    // any other unfinished reply has failed.
    State Finish();

    State GetState() const { return mState; }
    // Known once the status line has been read; 0 before.
    int Status() const { return mStatus; }
    bool StatusKnown() const { return mStatus != 0; }
    bool HeadersDone() const { return mPhase > Phase::Headers; }
    const std::string& Body() const { return mBody; }
    // Why the reply failed; empty otherwise.
    const std::string& Error() const { return mError; }

    // A whole reply read in one go, the connection closed after the last byte.
    static HttpResponseParser Parse(const std::string& bytes, const Limits& limits = Limits());

    // The largest chunk the parser accepts; a larger size line is a malformed reply.
    static constexpr uint64_t kMaxChunkSize = 0x7FFFFFFF;

private:
    enum class Phase { StatusLine, Headers, Body, ChunkSize, ChunkData, ChunkDataEnd, Trailers, Finished };
    enum class Framing { None, Length, Chunked, Close };

    void Step();
    bool TakeLine(std::string& line);
    void StatusLine(const std::string& line);
    void HeaderLine(const std::string& line);
    void EndOfHeaders();
    void ChunkSizeLine(const std::string& line);
    void TakeBody(size_t wanted);
    void Fail(const std::string& why);
    void Complete();

    Limits mLimits;
    State mState = State::NeedMore;
    Phase mPhase = Phase::StatusLine;
    Framing mFraming = Framing::None;
    // Bytes received and not yet consumed; mPos is the next unread one.
    std::string mPending;
    size_t mPos = 0;
    size_t mHeaderBytes = 0;
    int mStatus = 0;
    bool mHaveLength = false;
    uint64_t mContentLength = 0;
    uint64_t mChunkLeft = 0;
    bool mChunked = false;
    std::string mBody;
    std::string mError;
};

} // namespace Olvarn
