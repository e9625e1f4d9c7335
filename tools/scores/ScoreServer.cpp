// Serving the score requests.
#include "ScoreServer.h"

#include <chrono>
#include <ctime>

#include "ScoreRequest.h"
#include "platform/Log.h"

namespace scores
{

namespace
{
std::string Response(const char* status, const std::string& body)
{
    return std::string("HTTP/1.0 ") + status +
           "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

int64_t SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

bool ScoreServer::Listen(const std::string& address, int port)
{
    Olvarn::SocketAddress at;
    at.mPort = port;
    if (!Olvarn::Socket::ParseDottedAddress(address, at.mAddress))
        return false;
    return mListener.Listen(at);
}

std::string ScoreServer::Answer(const std::string& bytes, int64_t now)
{
    ScoreRequest request = ParseScoreRequest(bytes);
    switch (request.state) {
    case ScoreRequest::State::TooLarge:
        return Response("413 Payload Too Large", "too large\n");
    case ScoreRequest::State::Incomplete:
    case ScoreRequest::State::Bad:
        return Response("400 Bad Request", "bad request\n");
    case ScoreRequest::State::Complete:
        break;
    }
    if (request.method != "POST")
        return Response("405 Method Not Allowed", "POST the field Data\n");
    std::string text;
    tilvan::records::CSubmission submission;
    if (!tilvan::records::DecodeSubmissionBody(request.body, text) ||
        !tilvan::records::ParseSubmissionText(text, submission))
        return Response("400 Bad Request", "bad submission\n");
    if (!mStore.Add(submission, now)) {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "Results not stored: %s", mStore.LastError().c_str());
        return Response("503 Service Unavailable", "try again later\n");
    }
    return Response("200 OK", tilvan::records::FormatRecordsReply(mStore.Daily(now), mStore.Global()));
}

void ScoreServer::HandleConnection(Olvarn::Socket& connection)
{
    std::string bytes;
    const int64_t deadline = SteadyMs() + mRequestDeadlineMs;
    char buffer[16384];
    for (;;) {
        ScoreRequest::State state = ParseScoreRequest(bytes).state;
        if (state != ScoreRequest::State::Incomplete)
            break;
        int64_t left = deadline - SteadyMs();
        if (left <= 0)
            break;
        Olvarn::Socket::Wait wait = connection.WaitFor(true, false, static_cast<int>(left));
        if (wait != Olvarn::Socket::Wait::Ready)
            break;
        long got = connection.Receive(buffer, sizeof buffer);
        if (got == -2)
            continue;
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    std::string reply = Answer(bytes, static_cast<int64_t>(std::time(nullptr)));
    size_t sent = 0;
    while (sent < reply.size() && SteadyMs() < deadline + mRequestDeadlineMs) {
        if (connection.WaitFor(false, true, 200) != Olvarn::Socket::Wait::Ready)
            continue;
        long n = connection.Send(reply.data() + sent, reply.size() - sent);
        if (n < 0)
            break;
        sent += static_cast<size_t>(n);
    }
    connection.Close();
}

void ScoreServer::Serve(const std::atomic<bool>& stop)
{
    while (!stop.load()) {
        Olvarn::Socket connection;
        if (mListener.Accept(connection, 200))
            HandleConnection(connection);
    }
}

} // namespace scores
