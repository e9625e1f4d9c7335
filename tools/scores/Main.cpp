// tamberlo-scores: the score server the game's records window talks to.
// Usage: tamberlo-scores --port N --db FILE [--bind ADDRESS]
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ScoreServer.h"
#include "platform/Log.h"

namespace
{
std::atomic<bool> gStop{false};

void OnSignal(int)
{
    gStop = true;
}

int Usage()
{
    Olvarn::LogWrite(Olvarn::LogLevel::Error, "usage: tamberlo-scores --port N --db FILE [--bind ADDRESS]");
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    int port = -1;
    std::string db;
    std::string address = "127.0.0.1";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--port")
            port = std::atoi(argv[i + 1]);
        else if (option == "--db")
            db = argv[i + 1];
        else if (option == "--bind")
            address = argv[i + 1];
        else
            return Usage();
    }
    if (argc % 2 == 0 || port < 0 || port > 65535 || db.empty())
        return Usage();
    scores::ScoreStore store;
    if (!store.Open(db)) {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "cannot open %s: %s", db.c_str(), store.LastError().c_str());
        return 1;
    }
    scores::ScoreServer server(store);
    if (!server.Listen(address, port)) {
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "cannot listen on %s:%d", address.c_str(), port);
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    Olvarn::LogWrite(Olvarn::LogLevel::Info, "tamberlo-scores listening on %s:%d", address.c_str(), server.Port());
    server.Serve(gStop);
    return 0;
}
