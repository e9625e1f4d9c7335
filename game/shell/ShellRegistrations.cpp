// The shell's start-up registrations.
#include "shell/ShellRegistrations.h"

#include "data/CSaveObject.h"
#include "data/StartupRegistrations.h"
#include "shell/CImage.h"

namespace tilvan
{

void RegisterShell(CStartupRegistrations& steps)
{
    steps.Add(EStartupStep::ImageAndInfoPanel, [] {
        save::CSaveObjectRegistry::Instance().Register(nullptr, CImage::kClassId, &CImage::DeclareReaderSchema,
                                                       &CImage::DeclareWriterSchema);
    });
}

} // namespace tilvan
