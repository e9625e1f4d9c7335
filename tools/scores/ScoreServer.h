// The score server's loop: one connection at a time, each read within a deadline and bounded, each
// answered with the daily and global tables or an error status; nothing a client sends stops it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "ScoreStore.h"
#include "platform/Listener.h"

namespace scores
{

class ScoreServer
{
public:
    explicit ScoreServer(ScoreStore& store) : mStore(store) {}

    // Listens on the dotted address and port; false when it cannot.
    bool Listen(const std::string& address, int port);
    int Port() const { return mListener.Port(); }
    // Serves until stop is set (looked at every 200 ms).
    void Serve(const std::atomic<bool>& stop);

    // The whole HTTP response to the bytes of one request received at now (seconds since 1970).
    std::string Answer(const std::string& request, int64_t now);

    // How long one client may take to send its request (5 s unless set).
    void SetRequestDeadlineMs(int ms) { mRequestDeadlineMs = ms; }

private:
    void HandleConnection(Olvarn::Socket& connection);

    ScoreStore& mStore;
    Olvarn::Listener mListener;
    int mRequestDeadlineMs = 5000;
};

} // namespace scores
