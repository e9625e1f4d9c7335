// The HTTP reply reader on bytes: what completes a reply, what fails it, and that splitting the
// bytes anywhere changes nothing.
#include <gtest/gtest.h>

#include "app/HttpResponseParser.h"
#include "support/TempDir.h"

using Olvarn::HttpResponseParser;
using State = HttpResponseParser::State;

namespace
{

struct Case {
    const char* name;
    std::string reply;
    State state;
    int status;
    std::string body;
};

const std::string kOk = "HTTP/1.1 200 OK\r\n";

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases = {
        {"length", kOk + "Content-Length: 3\r\n\r\nabcTRAILING", State::Done, 200, "abc"},
        {"length zero", kOk + "Content-Length: 0\r\n\r\n", State::Done, 200, ""},
        {"repeated equal lengths", kOk + "Content-Length: 2\r\nContent-Length: 2\r\n\r\nab", State::Done, 200, "ab"},
        {"conflicting lengths", kOk + "Content-Length: 2\r\nContent-Length: 3\r\n\r\nabc", State::Failed, 200, ""},
        {"signed length", kOk + "Content-Length: -1\r\n\r\n", State::Failed, 200, ""},
        {"length with letters", kOk + "Content-Length: 12abc\r\n\r\n", State::Failed, 200, ""},
        {"length beyond 64 bits", kOk + "Content-Length: 99999999999999999999999\r\n\r\n", State::Failed, 200, ""},
        {"close-delimited", "HTTP/1.0 200 OK\r\n\r\nrest", State::Done, 200, "rest"},
        {"no reason phrase", "HTTP/1.1 200\r\nContent-Length: 1\r\n\r\nx", State::Done, 200, "x"},
        {"chunked, extensions, blanks",
         kOk + "Transfer-Encoding: chunked\r\n\r\n4 ;a=b\r\nWiki\r\na\r\npedia in c\r\n0\r\n\r\n", State::Done, 200,
         "Wikipedia in c"},
        {"chunked wins over a length",
         kOk + "Content-Length: 1\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n0\r\n\r\n", State::Done, 200, "ab"},
        {"chunked after another coding", kOk + "Transfer-Encoding: gzip, chunked\r\n\r\n0\r\n\r\n", State::Done, 200,
         ""},
        {"unknown coding", kOk + "Transfer-Encoding: gzip\r\n\r\n", State::Failed, 200, ""},
        {"identity coding", kOk + "Transfer-Encoding: identity\r\n\r\nall", State::Done, 200, "all"},
        {"chunked, last chunk without its empty line", kOk + "Transfer-Encoding: chunked\r\n\r\n0\r\n", State::Failed,
         200, ""},
        {"chunk size not hexadecimal", kOk + "Transfer-Encoding: chunked\r\n\r\nzz\r\n", State::Failed, 200, ""},
        {"chunk size empty", kOk + "Transfer-Encoding: chunked\r\n\r\n\r\n", State::Failed, 200, ""},
        {"chunk size overflowing", kOk + "Transfer-Encoding: chunked\r\n\r\n10000000000000001\r\n", State::Failed, 200,
         ""},
        {"chunk without its line end", kOk + "Transfer-Encoding: chunked\r\n\r\n1\r\nab\r\n0\r\n\r\n", State::Failed,
         200, ""},
        {"status only, cut", "HTTP/1.1", State::Failed, 0, ""},
        {"status with two digits", "HTTP/1.1 20 OK\r\n\r\n", State::Failed, 0, ""},
        {"status glued to the reason", "HTTP/1.1 200OK\r\n\r\n", State::Failed, 0, ""},
        {"version 2", "HTTP/2.0 200 OK\r\n\r\n", State::Failed, 0, ""},
        {"bare line feeds", "HTTP/1.1 200 OK\nContent-Length: 1\n\nx", State::Failed, 0, ""},
        {"header without a colon", kOk + "Content-Length 1\r\n\r\nx", State::Failed, 200, ""},
        {"blank in a header name", kOk + "Content Length: 1\r\n\r\nx", State::Failed, 200, ""},
        {"404 keeps its status", "HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nno", State::Done, 404, "no"},
        {"204 has no body", "HTTP/1.1 204 No Content\r\n\r\n", State::Done, 204, ""},
        {"nothing at all", "", State::Failed, 0, ""},
    };
    return cases;
}

} // namespace

TEST(HttpResponseParserTest, RepliesWholeAndInPieces)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        HttpResponseParser whole = HttpResponseParser::Parse(c.reply);
        EXPECT_EQ(whole.GetState(), c.state) << whole.Error();
        EXPECT_EQ(whole.Status(), c.status);
        if (c.state == State::Done) {
            EXPECT_EQ(whole.Body(), c.body);
        }
        EXPECT_EQ(whole.Error().empty(), c.state == State::Done);
        // One byte at a time splits every line end and chunk boundary.
        HttpResponseParser bytewise;
        for (char ch : c.reply)
            bytewise.Feed(&ch, 1);
        bytewise.Finish();
        EXPECT_EQ(bytewise.GetState(), whole.GetState());
        EXPECT_EQ(bytewise.Status(), whole.Status());
        EXPECT_EQ(bytewise.Body(), whole.Body());
        testsupport::SaveFuzzSeed("http", std::string("case") + std::to_string(&c - &Cases()[0]),
                                  std::string(1, '\x03') + c.reply);
    }
}

TEST(HttpResponseParserTest, ReplyIsCompleteWithoutTheConnectionClosing)
{
    HttpResponseParser parser;
    EXPECT_EQ(parser.Feed(kOk + "Content-Length: 2\r\n\r\na"), State::NeedMore);
    EXPECT_EQ(parser.Feed("b"), State::Done);
    EXPECT_EQ(parser.Body(), "ab");
    // A close-delimited body only ends with the connection.
    HttpResponseParser open;
    EXPECT_EQ(open.Feed(kOk + "\r\nsome"), State::NeedMore);
    EXPECT_TRUE(open.HeadersDone());
    EXPECT_EQ(open.Finish(), State::Done);
    EXPECT_EQ(open.Body(), "some");
}

TEST(HttpResponseParserTest, LimitsBoundHeadAndBody)
{
    HttpResponseParser::Limits limits;
    limits.mMaxHeaderBytes = 100;
    limits.mMaxBodyBytes = 10;
    // A head that never ends fails as soon as it passes the limit, not when memory runs out.
    HttpResponseParser endless(limits);
    EXPECT_EQ(endless.Feed(kOk + "X-Pad: " + std::string(200, 'p')), State::Failed);
    EXPECT_EQ(HttpResponseParser::Parse(kOk + "Content-Length: 11\r\n\r\n", limits).GetState(), State::Failed);
    // A status line exactly at the limit: whole, or cut between its carriage return and line feed, the
    // same status is read before the head fails.
    const std::string longStatus = "HTTP/1.1 200 " + std::string(87, 'o') + "\r\nX: y\r\n\r\n";
    HttpResponseParser cut(limits);
    cut.Feed(longStatus.substr(0, 101));
    cut.Feed(longStatus.substr(101));
    EXPECT_EQ(HttpResponseParser::Parse(longStatus, limits).Status(), 200);
    EXPECT_EQ(cut.Status(), 200);
    EXPECT_EQ(HttpResponseParser::Parse(kOk + "Content-Length: 10\r\n\r\n0123456789", limits).GetState(), State::Done);
    EXPECT_EQ(HttpResponseParser::Parse(kOk + "\r\n" + std::string(11, 'b'), limits).GetState(), State::Failed);
    EXPECT_EQ(HttpResponseParser::Parse(
                  kOk + "Transfer-Encoding: chunked\r\n\r\n6\r\nabcdef\r\n5\r\nghijk\r\n0\r\n\r\n", limits)
                  .GetState(),
              State::Failed);
}
