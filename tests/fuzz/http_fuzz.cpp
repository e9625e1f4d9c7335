// Fuzz target: arbitrary server replies to the HTTP response parser, whole and in pieces. The pieces
// must give the same outcome as the whole, and a body never outgrows the limits.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/HttpResponseParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using Olvarn::HttpResponseParser;
    if (size == 0)
        return 0;
    // The first byte chooses the piece size, so the search also splits lines and chunk ends.
    const size_t piece = 1 + data[0] % 17;
    const std::string reply(reinterpret_cast<const char*>(data + 1), size - 1);
    HttpResponseParser::Limits limits;
    limits.mMaxHeaderBytes = 512;
    limits.mMaxBodyBytes = 4096;

    HttpResponseParser whole = HttpResponseParser::Parse(reply, limits);
    HttpResponseParser pieces(limits);
    for (size_t at = 0; at < reply.size() && pieces.GetState() == HttpResponseParser::State::NeedMore; at += piece)
        pieces.Feed(reply.data() + at, std::min(piece, reply.size() - at));
    pieces.Finish();

    if (whole.GetState() != pieces.GetState() || whole.Status() != pieces.Status() || whole.Body() != pieces.Body())
        std::abort();
    if (whole.Body().size() > limits.mMaxBodyBytes)
        std::abort();
    if (whole.GetState() == HttpResponseParser::State::NeedMore)
        std::abort();
    return 0;
}
