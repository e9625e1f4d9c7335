// The score server's reading of one HTTP request: the head, bounded, and a body of the length it
// announces, bounded too.
#pragma once

#include <cstddef>
#include <string>

namespace scores
{

constexpr size_t kMaxHeadBytes = 8 * 1024;
constexpr size_t kMaxBodyBytes = 64 * 1024;

struct ScoreRequest {
    enum class State { Incomplete, Complete, TooLarge, Bad };
    State state = State::Incomplete;
    std::string method;
    std::string body;
};

// Reads the bytes received so far. Incomplete while head or body are still short; TooLarge for a
// head over 8 KiB or a body over 64 KiB; Bad for a request line or Content-Length that is not one.
ScoreRequest ParseScoreRequest(const std::string& bytes);

} // namespace scores
