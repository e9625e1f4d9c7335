// The guarded entry.
#include "shell/GameEntry.h"

#include <exception>

namespace tilvan
{

namespace
{

std::string DescribeCurrentException()
{
    try {
        throw;
    } catch (const char* text) {
        return text ? text : "";
    } catch (const std::string& text) {
        return text;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "An unknown error ended the program.";
    }
}

} // namespace

int RunGuarded(const std::function<int()>& body, const std::function<void(const std::string&)>& report,
               const std::function<void()>& cleanUp)
{
    try {
        return body();
    } catch (...) {
        report(DescribeCurrentException());
    }
    // The orderly end must not throw past the entry either.
    try {
        cleanUp();
    } catch (...) {
    }
    return 1;
}

} // namespace tilvan
