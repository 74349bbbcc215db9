#include "tests/support/ChildProcess.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support
{
namespace
{
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Waits for the child, ending it with SIGTERM once stopWhen says so, and with SIGKILL at the hang
// ceiling.
ChildRun Wait(pid_t child, const std::function<bool()>& stopWhen)
{
    ChildRun run;
    int status = 0;
    rusage usage{};
    const auto start = Clock::now();
    while (child > 0 && wait4(child, &status, WNOHANG, &usage) == 0)
    {
        if (stopWhen && !run.stillRunning && stopWhen())
        {
            run.stillRunning = true;
            kill(child, SIGTERM);
        }
        if (Since(start) > HangCeilingSeconds)
        {
            run.hung = true;
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            break;
        }
        usleep(2000);
    }
    run.peakMegabytes = usage.ru_maxrss / 1024;
    run.exited = child > 0 && WIFEXITED(status);
    run.status = run.exited ? WEXITSTATUS(status) : -1;
    run.signal = child > 0 && WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return run;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
} // namespace

ChildRun InChild(const std::function<std::string()>& work)
{
    char name[] = "/tmp/varnhold-child-XXXXXX";
    const int out = mkstemp(name);
    const pid_t child = fork();
    if (child == 0)
    {
        const std::string result = work();
        const bool written = write(out, result.data(), result.size()) == static_cast<ssize_t>(result.size());
        _exit(written ? 0 : 1);
    }
    ChildRun run = Wait(child, {});
    close(out);
    run.output = ReadAll(name);
    unlink(name);
    return run;
}

std::string EndsSmall(const std::function<std::string()>& work)
{
    const ChildRun run = InChild(work);
    EXPECT_FALSE(run.hung) << "still running at the hang ceiling";
    EXPECT_TRUE(run.exited && run.status == 0) << "died: signal " << run.signal;
    EXPECT_LT(run.peakMegabytes, MostMegabytes) << "MiB";
    return run.output;
}

ChildRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& folder, const std::map<std::string, std::string>& environment,
                    const std::function<bool()>& stopWhen)
{
    const std::string stem = "/tmp/varnhold-program-" + std::to_string(std::random_device{}());
    const std::string outPath = stem + ".out", errPath = stem + ".err";
    const pid_t child = fork();
    if (child == 0)
    {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(folder.c_str()) != 0)
            _exit(127);
        for (const auto& [key, value] : environment)
        {
            if (value.empty())
                unsetenv(key.c_str());
            else
                setenv(key.c_str(), value.c_str(), 1);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    ChildRun run = Wait(child, stopWhen);
    run.output = ReadAll(outPath);
    run.errors = ReadAll(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    return run;
}

} // namespace testing_support
