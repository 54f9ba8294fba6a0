#include "support/process_runner.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "usage_text.hpp"

namespace korvel::testing {
namespace {

[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

// A signal to send to the child at a set time.
struct PendingSignal {
    pid_t child = 0;
    int signal = 0;
    std::chrono::steady_clock::time_point at;
};

// Milliseconds poll may wait before the pending signal is due (-1: no limit);
// sends it when it is due.
int untilSignal(PendingSignal& pending)
{
    if (pending.signal == 0) {
        return -1;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(pending.at - std::chrono::steady_clock::now());
    if (left.count() > 0) {
        return static_cast<int>(left.count());
    }
    kill(pending.child, pending.signal);
    pending.signal = 0;
    return -1;
}

// Reads both pipes until each reaches its end, so that neither child stream
// can block on a full pipe while the other is being read. A pipe given as -1
// is not read.
void drain(int outFd, int errFd, ProcessResult& result, PendingSignal pending)
{
    std::array<pollfd, 2> fds{{{outFd, POLLIN, 0}, {errFd, POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&result.out, &result.err};
    int open = (outFd >= 0 ? 1 : 0) + (errFd >= 0 ? 1 : 0);
    std::array<char, 4096> buffer{};
    while (open > 0) {
        if (poll(fds.data(), fds.size(), untilSignal(pending)) < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("poll");
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t n = read(fds[i].fd, buffer.data(), buffer.size());
            if (n > 0) {
                sinks[i]->append(buffer.data(), static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

// In the child, between fork and exec: only async-signal-safe calls.
void setUpChild(const RunLimits& limits)
{
    // Dispositions set to "ignore" survive exec: start from the defaults.
    signal(SIGPIPE, SIG_DFL);
    signal(SIGXFSZ, SIG_DFL);
    if (limits.fileSize) {
        const rlimit limit{*limits.fileSize, *limits.fileSize};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    alarm(limits.timeoutSeconds);
}

// The inherited environment with the changes applied.
std::vector<std::string> childEnvironment(const std::vector<std::string>& changes)
{
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        variables.emplace_back(*entry);
    }
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('=')) + "=";
        std::erase_if(variables, [&](const std::string& v) { return v.starts_with(name); });
        if (change.find('=') != std::string::npos) {
            variables.push_back(change);
        }
    }
    return variables;
}

std::vector<char*> pointersTo(const std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (const std::string& s : strings) {
        pointers.push_back(const_cast<char*>(s.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& workingDirectory, const RunLimits& limits)
{
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const std::vector<char*> argv = pointersTo(words);
    const std::vector<std::string> variables = childEnvironment(limits.environment);
    const std::vector<char*> envp = pointersTo(variables);
    const std::string directory = workingDirectory.string();
    const std::string input = limits.standardInput.string();

    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        fail("pipe2");
    }
    if (limits.stdoutReaderGone) {
        // Closed before the child exists, so no process can ever read it.
        close(outPipe[0]);
        outPipe[0] = -1;
    }
    const pid_t child = fork();
    if (child < 0) {
        fail("fork");
    }
    if (child == 0) {
        setUpChild(limits);
        const int in = open(input.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0 || dup2(in, STDIN_FILENO) < 0 || dup2(outPipe[1], STDOUT_FILENO) < 0 ||
            dup2(errPipe[1], STDERR_FILENO) < 0 || chdir(directory.c_str()) != 0) {
            _exit(127);
        }
        for (const int descriptor : limits.closedDescriptors) {
            close(descriptor);
        }
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    ProcessResult result;
    drain(outPipe[0], errPipe[0], result,
          {child, limits.signal, std::chrono::steady_clock::now() + limits.signalAfter});
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            fail("waitpid");
        }
    }
    result.exited = WIFEXITED(status);
    result.exitStatus = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
}

ScratchDirectory::ScratchDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "korvel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        fail("mkdtemp");
    }
    path_ = pattern;
}

std::size_t ScratchDirectory::entryCount() const
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(path_), std::filesystem::directory_iterator{}));
}

std::vector<std::string> ScratchDirectory::fileNames() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ScratchDirectory::read(const std::string& name) const
{
    std::ifstream in(path_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ScratchDirectory::write(const std::string& name, std::string_view content) const
{
    std::ofstream(path_ / name, std::ios::binary) << content;
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> withOutput(std::vector<std::string> arguments, const std::string& file)
{
    arguments.push_back(file);
    return arguments;
}

std::string korvelProgram() { return KORVEL_BINARY; }

#ifdef KORVEL_VERIFY_BINARY
std::string verifierProgram() { return KORVEL_VERIFY_BINARY; }
#else
std::string verifierProgram() { return {}; }
#endif

ProcessResult runKorvel(const std::vector<std::string>& arguments, const ScratchDirectory& directory,
                        const RunLimits& limits)
{
    RunLimits run = limits;
    run.environment.insert(run.environment.begin(), "SOURCE_DATE_EPOCH");
    return runProcess(korvelProgram(), arguments, directory.path(), run);
}

std::string failureText(std::string_view message)
{
    return std::string(kBannerLine) + "\n" + std::string(message) + "\n";
}

std::string failureText(ResultCode code) { return failureText(resultMessage(code)); }

}  // namespace korvel::testing
