#pragma once
// Work run in a process of its own, so that a test can measure what the work cost (seconds and
// peak resident memory, from wait4) and survive it blocking forever (the child is killed).

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testing_support
{

// The peak memory a child may reach in a test: 300 MB, as a player's machine sees the game; in
// builds with AddressSanitizer, whose shadow memory and quarantine make every process larger
// (the game itself then peaks at about 370 MB), 1 GB.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARNHOLD_TESTS_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(VARNHOLD_TESTS_UNDER_ASAN)
constexpr long MostMegabytes = 1024;
#else
constexpr long MostMegabytes = 300;
#endif

struct ChildRun
{
    bool exited = false;       // ended on its own, not by a signal
    int status = -1;           // its exit status when it exited
    int signal = 0;            // the signal that ended it otherwise
    bool stillRunning = false; // alive when the test stopped it at keepFor (and so ended by us)
    double seconds = 0.;
    long peakMegabytes = 0;
    std::string output; // what work returned, or the program's standard output
    std::string errors; // the program's standard error
};

// Forks and runs work in the child; its result (up to 64 KiB) comes back as output. A child still
// running after killAfter seconds is killed. The child must not use an X connection or GL context
// that the parent opened before the fork: tests that call this open none in the parent.
ChildRun InChild(const std::function<std::string()>& work, double killAfter = 20.);
// InChild for work that must end on its own quickly and small: expects a clean exit within 5 s
// and a peak under MostMegabytes, and returns what the work returned.
std::string QuicklyAndSmall(const std::function<std::string()>& work);

// Runs a program in folder with the given arguments and extra environment (an empty value
// removes the variable). When keepFor is above
// 0, a program still running after keepFor seconds is ended with SIGTERM and counts as
// stillRunning; any program is killed after killAfter seconds.
ChildRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& folder, const std::map<std::string, std::string>& environment = {},
                    double keepFor = 0., double killAfter = 20.);

} // namespace testing_support
