// The program entry: builds the application object, runs it and turns the outcome into the exit code.
#include <cstdio>
#include <exception>
#include <string>

#include "app/CrashReporter.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "shell/CStartupApp.h"

namespace
{

int ReportFatal(const std::string& text, const char* title)
{
    Olvarn::MessageBox::Show(text, title, Olvarn::MB_OK | Olvarn::MB_ICONERROR, nullptr);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    // The crash report helper is this same program started with a private switch.
    int helperExit = 0;
    if (Olvarn::CrashReporter::RunHelperIfAsked(argc, argv, helperExit))
        return helperExit;
    Olvarn::Process::SetArguments(argc, argv);
    Olvarn::Process::InstallTerminationHandler();
    Olvarn::CrashReporter::InstallFilter(Olvarn::Paths::DataHome() + "/" + tilvan::CStartupApp::kProductName);
    try {
        tilvan::CStartupApp app;
        app.InitApp();
        app.RunApp();
    } catch (const char* text) {
        return ReportFatal(text, "Error");
    } catch (const std::string& text) {
        return ReportFatal(text, "Error");
    } catch (const std::exception& e) {
        return ReportFatal(e.what(), "Error");
    } catch (...) {
        return ReportFatal("An unknown error ended the program.", "Error");
    }
    return 0;
}
