// The crash reporter: turns a fault anywhere in the process into "crash.txt" (what happened and
// where, the stack with symbols, registers, system lines, the application's description), then
// shows it to the player in a helper process, from which it may be uploaded.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "app/HTTPTransfer.h"

namespace Olvarn
{

class CrashReporter
{
public:
    // The switch that makes a program the report helper:
    // "<program> --crash-report <report> <product> <version> <fd>".
    static constexpr const char* kHelperSwitch = "--crash-report";

    // Installs the fault handlers; the report goes to folder/crash.txt (the folder is made) and the
    // helper is this same program. False when faults cannot be caught (under AddressSanitizer).
    static bool InstallFilter(const std::string& folder);
    static void RestoreFilter();
    // The product name and version the helper puts into an upload.
    static void SetProduct(const std::string& name, const std::string& version);
    static const std::string& Product();
    static const std::string& Version();
    static const std::string& ReportPath();

    // At the top of main: when the command line is the helper's, runs the helper and returns true
    // with the exit code to end with.
    static bool RunHelperIfAsked(int argc, char** argv, int& exitCode);

    // The exception table: the name of a code, null for a code not in it.
    static const char* ExceptionName(uint32_t code);
    // Every character a hexadecimal digit of either case; an empty text is 0. No overflow check
    // beyond 32 bits is needed: callers pass at most 8 digits.
    static bool ParseHex(const std::string& text, uint32_t& value);
    // Rewrites every "SSSS:OOOOOOOO" logical address of the program in the report with the symbol
    // (demangled) and, where the map has line rows, the source line; mapText is the symbol map.
    static void ResolveMapFileSymbols(std::string& report, const std::string& mapText);
    // "Exception at SSSS:OOOOOOOO" of the report's logical address.
    static std::string ErrorTitleOf(const std::string& report);
    // The report and one line end, written atomically; false when it could not be written.
    static bool WriteCrashFile(const std::string& path, const std::string& report);

    // The report windows and the upload (run by the helper).
    // attachment: a file sent with the report when the user submits it (the recorded demo), or empty.
    static void ShowCrashWindow(const std::string& title, const std::string& report,
                                const std::string& attachment = std::string());

    // What the upload sends.
    struct Upload {
        std::string mServer;
        std::map<std::string, std::string> mFields;
        std::string mProduct;
        std::string mVersion;
        std::string mUserText;
        std::string mErrorTitle;
        std::string mErrorText;
        bool mAttachFile = false;
        std::string mAttachment; // the attached file's bytes
    };
    static std::string BuildUploadRequest(const Upload& upload);

    // The application's own report fields (name, value), asked for when the report is sent. The
    // report windows run in a helper process started as the same program, so install the hook
    // before RunHelperIfAsked. Null removes it.
    using FieldsHook = std::function<std::map<std::string, std::string>(const std::string& report)>;
    static void SetFieldsHook(FieldsHook hook);
    // What the report windows send: product, version, the report, the application's fields, and
    // the attachment. An attachment that cannot be read is sent as an empty part, so the server
    // still learns there was one.
    static Upload MakeUpload(const std::string& title, const std::string& report, const std::string& attachment);
    // Starts the upload through the transfer (the process's shared one unless a test gives its own).
    static void UploadThread(const Upload& upload, HTTPTransfer& transfer = HTTPTransfer::Global());

    // The crash-report server (host, optionally host:port). Empty: nothing in the framework sets
    // it, and then "Send Report" is not offered.
    static std::string sServer;
    static const char* const kHeaderText;
    static const char* const kDetailsHeaderText;
    static const char* const kConnectionFailureText;
};

} // namespace Olvarn
