// Start-up registrations in their fixed order, and what exit leaves behind. Each check runs in a
// process of its own: the registrations run once per process and exit runs only once.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "RunSelf.h"
#include "data/CSaveObject.h"
#include "data/StartupRegistrations.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{

std::vector<std::string> gOrder;
std::string gFolder;

void Contribute(CStartupRegistrations& steps)
{
    steps.Add(EStartupStep::WaterSaveClass, [] { gOrder.push_back("water"); });
    steps.Add(EStartupStep::WorldSaveClasses,
              [] { gOrder.push_back(save::g_pSaveReader ? "world after the registry" : "world before the registry"); });
    steps.Add(EStartupStep::GameAndGridSaveClasses, [] { gOrder.push_back("game"); });
    steps.Add(EStartupStep::GameAndGridSaveClasses, [] { gOrder.push_back("grid"); });
}

void ContributeMore(CStartupRegistrations& steps)
{
    steps.Add(EStartupStep::ElementSaveClasses, [] { gOrder.push_back("element"); });
}

void ContributeSaveClass(CStartupRegistrations& steps)
{
    steps.Add(EStartupStep::WorldSaveClasses, [] {
        static save::CSaveObjectRegistrar r(
            nullptr, 9201, [](CXmlDataReader& rd) { rd.DeclareAttribute("t_exit", "v", ""); },
            [](CXmlDataWriter& w) { w.DeclareAttribute("t_exit", "v"); });
    });
}

// Runs after the singletons are gone: it was registered before they were made.
void TouchTheRegistryAfterExit()
{
    try {
        save::CSaveObjectRegistry::Instance();
    } catch (const std::logic_error& e) {
        if (std::FILE* f = std::fopen((gFolder + "/dead.txt").c_str(), "wb")) {
            std::fputs(e.what(), f);
            std::fclose(f);
        }
    }
}

} // namespace

TEST(Startup, RegistrationsRunInStepOrderOnce)
{
    EXPECT_EQ(testsupport::RunSelf("StartupChild.Order", "1"), 0);
}

TEST(StartupChild, Order)
{
    if (!testsupport::ChildTestValue())
        GTEST_SKIP() << "run by Startup.RegistrationsRunInStepOrderOnce";
    RunStartupRegistrations({&Contribute, &ContributeMore});
    RunStartupRegistrations({&Contribute});
    EXPECT_TRUE(StartupRegistrationsDone());
    EXPECT_EQ(gOrder, (std::vector<std::string>{"world after the registry", "element", "game", "grid", "water"}));
}

TEST(Startup, ExitCompletesAnOpenSaveAndLeavesNoDeadSingletonUsable)
{
    testsupport::TempDir dir;
    EXPECT_EQ(testsupport::RunSelf("StartupChild.Exit", dir.Path()), 0);
    EXPECT_EQ(dir.ReadFile("left.xml"), "<?xml version=\"1.0\"?>\n<data>\n\t<t_exit v=\"5\"/>\n</data>");
    EXPECT_EQ(dir.ReadFile("dead.txt"), "Dead Reference Detected");
}

TEST(StartupChild, Exit)
{
    if (!testsupport::ChildTestValue())
        GTEST_SKIP() << "run by Startup.ExitCompletesAnOpenSaveAndLeavesNoDeadSingletonUsable";
    gFolder = testsupport::ChildTestValue();
    std::atexit(&TouchTheRegistryAfterExit);
    RunStartupRegistrations({&ContributeSaveClass});
    ASSERT_TRUE(save::SaveWriter().Open(gFolder + "/left.xml", false, ""));
    save::SaveWriter().WriteRow("t_exit", 5);
    // Leaves the file open: exit completes it.
}
