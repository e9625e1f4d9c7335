// HTTP request reading for the score server: request line, headers up to the blank line, the body.
#include "ScoreRequest.h"

#include <cctype>

namespace scores
{

namespace
{
std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A Content-Length value: digits only, at most the body limit plus one (enough to refuse it).
bool ReadLength(const std::string& text, size_t& length)
{
    size_t i = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t\r");
    if (i == std::string::npos || end < i)
        return false;
    length = 0;
    for (; i <= end; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        length = length * 10 + static_cast<size_t>(text[i] - '0');
        if (length > kMaxBodyBytes + 1)
            length = kMaxBodyBytes + 1;
    }
    return true;
}
} // namespace

ScoreRequest ParseScoreRequest(const std::string& bytes)
{
    ScoreRequest request;
    size_t headEnd = bytes.find("\r\n\r\n");
    size_t separator = 4;
    size_t lfEnd = bytes.find("\n\n");
    if (lfEnd != std::string::npos && (headEnd == std::string::npos || lfEnd < headEnd)) {
        headEnd = lfEnd;
        separator = 2;
    }
    if (headEnd == std::string::npos) {
        request.state = bytes.size() > kMaxHeadBytes ? ScoreRequest::State::TooLarge : ScoreRequest::State::Incomplete;
        return request;
    }
    if (headEnd > kMaxHeadBytes) {
        request.state = ScoreRequest::State::TooLarge;
        return request;
    }
    std::string head = bytes.substr(0, headEnd);
    size_t lineEnd = head.find('\n');
    std::string requestLine = head.substr(0, lineEnd);
    size_t space = requestLine.find(' ');
    if (space == std::string::npos || space == 0 || requestLine.find(" HTTP/", space) == std::string::npos) {
        request.state = ScoreRequest::State::Bad;
        return request;
    }
    request.method = requestLine.substr(0, space);
    bool hasLength = false;
    size_t length = 0;
    size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 1;
    while (pos < head.size()) {
        size_t end = head.find('\n', pos);
        if (end == std::string::npos)
            end = head.size();
        std::string line = head.substr(pos, end - pos);
        pos = end + 1;
        size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        if (Lower(line.substr(0, colon)) == "content-length") {
            if (hasLength || !ReadLength(line.substr(colon + 1), length)) {
                request.state = ScoreRequest::State::Bad;
                return request;
            }
            hasLength = true;
        }
    }
    if (length > kMaxBodyBytes) {
        request.state = ScoreRequest::State::TooLarge;
        return request;
    }
    size_t bodyStart = headEnd + separator;
    if (bytes.size() - bodyStart < length)
        return request;
    request.body = bytes.substr(bodyStart, length);
    request.state = ScoreRequest::State::Complete;
    return request;
}

} // namespace scores
