// The report text written inside the fault handler, the symbol map resolution and the helper.
#include "app/CrashReporter.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "app/OlvarnAppBase.h"
#include "platform/AtomicFile.h"
#include "platform/CrashHandler.h"
#include "platform/Directories.h"
#include "platform/Paths.h"

namespace Olvarn
{

std::string CrashReporter::sServer;

namespace
{

// The handler writes a report of some kilobytes; a map file lists the program's symbols.
constexpr size_t kMaxReportBytes = 4u << 20;
constexpr size_t kMaxMapFileBytes = 64u << 20;

std::string gReportPath;
std::string gProduct = "Product";
std::string gVersion;

// The helper learns of an attachment from its command line, which is made again once the demo is
// saved.
void UpdateHelperCommand(const std::string& attachment = std::string())
{
    std::string program = Paths::ExecutablePath();
    if (program.empty() || gReportPath.empty())
        return;
    std::vector<std::string> argv = {program, CrashReporter::kHelperSwitch, gReportPath, gProduct, gVersion};
    if (!attachment.empty())
        argv.push_back(attachment);
    CrashHandler::SetHelperCommand(argv);
}

struct ExceptionEntry {
    uint32_t mCode;
    const char* mName;
};

const ExceptionEntry kExceptions[] = {
    {0x40000005, "Segment Notification"},
    {0x80000003, "Breakpoint"},
    {0x80000004, "Single step"},
    {0x00000000, "Wait 0"},
    {0x00000080, "Abandoned Wait 0"},
    {0x000000C0, "User APC"},
    {0x00000102, "Timeout"},
    {0x00000103, "Pending"},
    {0x80000001, "Guard Page Violation"},
    {0x80000002, "Data Type Misalignment"},
    {0xC0000005, "Access Violation"},
    {0xC0000006, "In Page Error"},
    {0xC0000017, "No Memory"},
    {0xC000001D, "Illegal Instruction"},
    {0xC0000025, "Noncontinuable Exception"},
    {0xC0000026, "Invalid Disposition"},
    {0xC000008C, "Array Bounds Exceeded"},
    {0xC000008D, "Float Denormal Operand"},
    {0xC000008E, "Divide by Zero"},
    {0xC000008F, "Float Inexact Result"},
    {0xC0000090, "Float Invalid Operation"},
    {0xC0000091, "Float Overflow"},
    {0xC0000092, "Float Stack Check"},
    {0xC0000093, "Float Underflow"},
    {0xC0000094, "Integer Divide by Zero"},
    {0xC0000095, "Integer Overflow"},
    {0xC0000096, "Privileged Instruction"},
    {0xC00000FD, "Stack Overflow"},
    {0xC000013A, "Ctrl+C Exit"},
};

constexpr int kMaxFrames = 256;

void WriteLogicalAddress(CrashReportOutput& out, const CrashModule& module)
{
    out.Hex(module.mSection, 4).Text(":").Hex(module.mOffset, 8);
}

void WriteFrame(void* user, uint64_t pc, uint64_t sp)
{
    CrashReportOutput& out = *static_cast<CrashReportOutput*>(user);
    out.Hex(sp, 8).Text(" ").Hex(pc, 8).Text(" ");
    CrashModule module;
    if (!CrashHandler::FindModule(pc, module)) {
        out.Text("(no module)").Line();
        return;
    }
    // The program's own frames are named from its symbol map later; other modules name what
    // they export.
    if (module.mSection != 1 && module.mSymbol)
        out.Text(module.mSymbol).Text("+").Hex(module.mSymbolOffset, 1);
    else
        WriteLogicalAddress(out, module), out.Text(" ").Text(module.mFile);
    out.Line();
}

// Runs inside the fault handler: no allocation, no locks, only the handler's output.
void WriteSafePart(const CrashInfo& info, CrashReportOutput& out)
{
    const char* name = CrashReporter::ExceptionName(info.mExceptionCode);
    if (name)
        out.Text("Exception: ").Text(name).Text(" (code 0x");
    else
        out.Text("Unknown exception: (code 0x");
    // The code in lower case, as the report's readers search for it ("code 0xc0000005").
    out.LowerHex(info.mExceptionCode, 8).Text(") at address ").Hex(info.mAddress, 8).Text(" in thread ");
    out.Hex(info.mThread, 1).Line();
    out.Text("Signal: ").Text(info.mSignalName);
    if (info.mSentByOtherProcess)
        out.Text(" sent by another process");
    if (info.mHasDataAddress)
        out.Text(" touching address ").Hex(info.mDataAddress, 8);
    out.Line();

    CrashModule module;
    if (CrashHandler::FindModule(info.mAddress, module)) {
        out.Text("Module: ").Text(module.mFile).Line();
        out.Text("Logical Address: "), WriteLogicalAddress(out, module), out.Line();
    } else {
        out.Text("Module: (none)").Line();
        out.Text("Logical Address: 0000:").Hex(info.mAddress, 8).Line();
    }
    out.Line();
    CrashHandler::WalkStack(info, WriteFrame, &out, kMaxFrames);
    out.Line();
    CrashHandler::WriteRegisters(info, out);
    out.Line();
    out.Text(CrashHandler::SystemText());
}

// May allocate; runs under the handler's watchdog.
void WriteExtraPart(CrashReportOutput& out)
{
    if (!gOlvarnApp)
        return;
    std::string text = gOlvarnApp->DescribeForCrashReport();
    if (!text.empty())
        out.Line().Text(text.c_str(), text.size());
    // The demo being recorded goes with the report.
    const std::string attachment = gOlvarnApp->SaveDemoForCrashReport();
    if (!attachment.empty())
        UpdateHelperCommand(attachment);
}

struct MapKey {
    uint32_t mSection;
    uint32_t mOffset;
    bool operator<(const MapKey& other) const
    {
        return mSection != other.mSection ? mSection < other.mSection : mOffset < other.mOffset;
    }
};

struct LineRow {
    std::string mFile;
    int mLine;
};

template <typename T> const std::pair<const MapKey, T>* FindCovering(const std::map<MapKey, T>& table, MapKey key)
{
    // The entry at the address or the last one below it, in the same section.
    auto it = table.upper_bound(key);
    if (it == table.begin())
        return nullptr;
    --it;
    return it->first.mSection == key.mSection ? &*it : nullptr;
}

std::string Demangle(const std::string& name)
{
    int status = 0;
    char* plain = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status);
    if (status != 0 || !plain)
        return name;
    std::string result = plain;
    std::free(plain);
    return result;
}

std::string HexText(uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", value);
    return buffer;
}

void ReadMap(const std::string& mapText, std::map<MapKey, std::string>& symbols, std::map<MapKey, LineRow>& rows)
{
    std::istringstream in(mapText);
    std::string line, source;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 4095)
            line.resize(4095);
        uint32_t section = 0, offset = 0;
        if (line.size() > 22 && line[5] == ':') {
            if (CrashReporter::ParseHex(line.substr(1, 4), section) &&
                CrashReporter::ParseHex(line.substr(6, 8), offset) && line[20] == ' ') {
                size_t end = line.find(' ', 21);
                if (end != std::string::npos)
                    symbols[{section, offset}] = line.substr(21, end - 21);
            }
        } else if (line.compare(0, 12, "Line numbers") == 0) {
            size_t open = line.find('(');
            size_t close = line.rfind(')');
            if (open != std::string::npos)
                source = line.substr(open + 1,
                                     close == std::string::npos || close < open ? std::string::npos : close - open - 1);
        } else if (!source.empty() && line.size() == 80) {
            for (int k = 0; k < 4; ++k) {
                std::string entry = line.substr(20 * k, 20);
                if (CrashReporter::ParseHex(entry.substr(7, 4), section) &&
                    CrashReporter::ParseHex(entry.substr(12, 8), offset))
                    rows[{section, offset}] = {source, std::atoi(entry.substr(0, 6).c_str())};
            }
        }
    }
}

} // namespace

const std::string& CrashReporter::ReportPath()
{
    return gReportPath;
}

const std::string& CrashReporter::Product()
{
    return gProduct;
}

const std::string& CrashReporter::Version()
{
    return gVersion;
}

bool CrashReporter::InstallFilter(const std::string& folder)
{
    Paths::MakeFolders(folder);
    gReportPath = folder + "/crash.txt";
    if (!CrashHandler::Install(gReportPath, WriteSafePart, WriteExtraPart))
        return false;
    UpdateHelperCommand();
    return true;
}

void CrashReporter::SetProduct(const std::string& name, const std::string& version)
{
    gProduct = name;
    gVersion = version;
    if (CrashHandler::IsInstalled())
        UpdateHelperCommand();
}

void CrashReporter::RestoreFilter()
{
    CrashHandler::Uninstall();
}

const char* CrashReporter::ExceptionName(uint32_t code)
{
    for (const ExceptionEntry& entry : kExceptions)
        if (entry.mCode == code)
            return entry.mName;
    return nullptr;
}

bool CrashReporter::ParseHex(const std::string& text, uint32_t& value)
{
    uint32_t result = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        result = result * 16 + static_cast<uint32_t>(digit);
    }
    value = result;
    return true;
}

void CrashReporter::ResolveMapFileSymbols(std::string& report, const std::string& mapText)
{
    std::map<MapKey, std::string> symbols;
    std::map<MapKey, LineRow> rows;
    ReadMap(mapText, symbols, rows);
    if (symbols.empty())
        return;
    for (size_t j = 4; j + 1 < report.size(); ++j) {
        if (report[j] != ':')
            continue;
        uint32_t section = 0, offset = 0;
        std::string after = report.substr(j + 1, 8);
        if (after.size() < 8 || !ParseHex(report.substr(j - 4, 4), section) || !ParseHex(after, offset))
            continue;
        const auto* symbol = FindCovering(symbols, {section, offset});
        if (!symbol)
            continue;
        std::string text = Demangle(symbol->second);
        if (offset != symbol->first.mOffset)
            text += "+0x" + HexText(offset - symbol->first.mOffset);
        // A row before the symbol's start belongs to another function.
        const auto* row = FindCovering(rows, {section, offset});
        if (row && row->first.mOffset >= symbol->first.mOffset)
            text += "\r\n    " + row->second.mFile + " line " + std::to_string(row->second.mLine) + " +0x" +
                    HexText(offset - row->first.mOffset);
        report.replace(j - 4, 13, text);
        j = j - 4 + text.size();
    }
}

std::string CrashReporter::ErrorTitleOf(const std::string& report)
{
    const std::string label = "Logical Address: ";
    size_t at = report.find(label);
    if (at == std::string::npos)
        return "Exception";
    size_t end = report.find_first_of("\r\n", at);
    return "Exception at " + report.substr(at + label.size(), end == std::string::npos ? end : end - at - label.size());
}

bool CrashReporter::WriteCrashFile(const std::string& path, const std::string& report)
{
    return WriteFileAtomically(path, report + "\r\n");
}

bool CrashReporter::RunHelperIfAsked(int argc, char** argv, int& exitCode)
{
    if ((argc != 6 && argc != 7) || std::string(argv[1]) != kHelperSwitch)
        return false;
    const std::string reportPath = argv[2];
    gReportPath = reportPath;
    gProduct = argv[3];
    gVersion = argv[4];
    const std::string attachment = argc == 7 ? argv[5] : "";
    const int notifyFd = std::atoi(argv[argc - 1]);
    std::string report;
    if (!ReadWholeFile(reportPath, report, kMaxReportBytes)) {
        CrashHandler::NotifyFaultingProcess(notifyFd);
        std::cerr << "The crash report " << reportPath << " cannot be read.\n";
        exitCode = 1;
        return true;
    }
    // The handler left the report with a line end; the file gets its own one back when written.
    while (report.size() >= 2 && report.compare(report.size() - 2, 2, "\r\n") == 0)
        report.resize(report.size() - 2);
    const std::string title = ErrorTitleOf(report);
    std::string map;
    if (ReadWholeFile(Paths::ExecutablePath() + ".map", map, kMaxMapFileBytes))
        ResolveMapFileSymbols(report, map);
    exitCode = WriteCrashFile(reportPath, report) ? 0 : 1;
    CrashHandler::NotifyFaultingProcess(notifyFd);
    ShowCrashWindow(title, report, attachment);
    return true;
}

} // namespace Olvarn
