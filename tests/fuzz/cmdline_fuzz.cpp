// Fuzz target: the command line, split into switches and applied. Switches that end the process
// (an unknown one, the crash switch) are only counted; demo numbers look at a scratch folder.
#include <cstdint>
#include <string>

#include "FuzzApp.h"

namespace
{

class CommandLineApp : public fuzzsupport::FuzzApp
{
public:
    void ApplyCommandLineSwitch(const std::string& name, const std::string& value) override
    {
        static const char* const kKnown[] = {"-play", "-record", "-recnum", "-playnum", "-demofile", "-screensaver"};
        for (const char* known : kKnown)
            if (name == known) {
                OlvarnAppBase::ApplyCommandLineSwitch(name, value);
                return;
            }
        ++mOthers;
    }
    int mOthers = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CommandLineApp* app = new CommandLineApp();
    fuzzsupport::EnterScratchFolder();
    app->SplitCommandLine(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
