// Start-up registrations in their fixed order, and what exit leaves behind. Each case runs in a
// child process: the registrations run once per process and exit runs only once.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/CConstantsRegistry.h"
#include "data/SaveObject.h"
#include "data/StartupRegistrations.h"
#include "support/TempDir.h"

using namespace tilvan;

namespace
{

// Runs body in a child process and answers its exit code.
int InChild(const std::function<int()>& body)
{
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

std::vector<std::string> gOrder;

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

} // namespace

TEST(Startup, RegistrationsRunInStepOrderOnce)
{
    EXPECT_EQ(InChild([] {
                  RunStartupRegistrations({&Contribute, &ContributeMore});
                  RunStartupRegistrations({&Contribute});
                  std::vector<std::string> expected = {"world after the registry", "element", "game", "grid", "water"};
                  return gOrder == expected && StartupRegistrationsDone() ? 0 : 1;
              }),
              0);
}

TEST(Startup, ExitCompletesAnOpenSaveAndLeavesNoDeadSingletonUsable)
{
    testsupport::TempDir dir;
    const std::string path = dir.File("left.xml");
    const std::string marker = dir.File("dead.txt");
    static std::string sMarker;
    sMarker = marker;
    EXPECT_EQ(InChild([&] {
                  // Registered before the singletons exist, so it runs after they are gone.
                  std::atexit([] {
                      try {
                          save::CSaveObjectRegistry::Instance();
                      } catch (const std::logic_error& e) {
                          if (std::FILE* f = std::fopen(sMarker.c_str(), "wb")) {
                              std::fputs(e.what(), f);
                              std::fclose(f);
                          }
                      }
                  });
                  RunStartupRegistrations({[](CStartupRegistrations& steps) {
                      steps.Add(EStartupStep::WorldSaveClasses, [] {
                          static save::CSaveObjectRegistrar r(
                              nullptr, 9201, [](CXmlDataReader& rd) { rd.DeclareAttribute("t_exit", "v", ""); },
                              [](CXmlDataWriter& w) { w.DeclareAttribute("t_exit", "v"); });
                      });
                  }});
                  save::SaveWriter().Open(path, false, "");
                  save::SaveWriter().WriteRow("t_exit", 5);
                  std::exit(0);
                  return 1;
              }),
              0);
    EXPECT_EQ(dir.ReadFile("left.xml"), "<?xml version=\"1.0\"?>\n<data>\n\t<t_exit v=\"5\"/>\n</data>");
    EXPECT_EQ(dir.ReadFile("dead.txt"), "Dead Reference Detected");
}
