#pragma once
// Work run in a process of its own, so that a test can measure what the work cost (peak resident
// memory, from wait4) and survive it blocking forever (the child is killed at a hang ceiling).

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

// How long a child may run before it counts as hung and is killed. No test judges a child by its
// time: this only ends one that would never end, and it is far above what any of them needs on a
// busy machine.
constexpr double HangCeilingSeconds = 300.;

struct ChildRun
{
    bool exited = false;       // ended on its own, not by a signal
    int status = -1;           // its exit status when it exited
    int signal = 0;            // the signal that ended it otherwise
    bool stillRunning = false; // alive when the test stopped it (and so ended by us)
    bool hung = false;         // killed at the hang ceiling
    long peakMegabytes = 0;
    std::string output; // what work returned, or the program's standard output
    std::string errors; // the program's standard error
};

// Forks and runs work in the child; its result (up to 64 KiB) comes back as output. The child must
// not use an X connection or GL context that the parent opened before the fork: tests that call
// this open none in the parent.
ChildRun InChild(const std::function<std::string()>& work);
// InChild for work that must end on its own and small: expects a clean exit (not at the hang
// ceiling) and a peak under MostMegabytes, and returns what the work returned.
std::string EndsSmall(const std::function<std::string()>& work);

// Runs a program in folder with the given arguments and extra environment (an empty value
// removes the variable). With stopWhen, the program is ended with SIGTERM as soon as stopWhen
// returns true while it runs, and counts as stillRunning: a game that keeps running is stopped
// once it has shown what the test waits for (its trace, for example).
ChildRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& folder, const std::map<std::string, std::string>& environment = {},
                    const std::function<bool()>& stopWhen = {});

} // namespace testing_support
