// The process: its command line, termination requests (SIGTERM, SIGINT, SIGHUP) and exit.
#pragma once

#include <string>

namespace Olvarn
{

class Process
{
public:
    // Kept by the entry so the framework can read the command line as one text.
    static void SetArguments(int argc, char** argv);
    // The command line in the form the framework parses: the program path in double quotes, then
    // each argument after a blank; an argument holding a blank is put in double quotes whole.
    static std::string CommandLine();

    // From now on a termination signal only sets a flag, which the event pump reports.
    static void InstallTerminationHandler();
    // True once for each time a termination signal arrived since the last call.
    static bool TakeTerminationRequest();
    // Asks for the same orderly end as a termination signal (async-signal-safe).
    static void RequestTermination();

    // Flushes the standard streams and ends the process at once (no static destructors run, so
    // nothing half-built is torn down).
    [[noreturn]] static void Exit(int code);

    // Faults the process as a stray memory access would, so the crash handling runs as for a real one.
    [[noreturn]] static void Crash();
};

} // namespace Olvarn
