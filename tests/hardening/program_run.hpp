#pragma once
// Runs the built korvel program as a child process and collects what it did:
// exit status or signal, standard output and standard error. The child can be
// given a file size limit (with SIGXFSZ ignored, so that a write beyond the
// limit fails with EFBIG instead of killing it).

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace korvel::testing {

struct ProgramRun {
    bool started = false;
    bool exited = false;  // false: ended by a signal (see signal)
    int status = -1;
    int signal = 0;
    std::string out;
    std::string err;
};

struct RunLimits {
    std::optional<rlim_t> fileSize;  // RLIMIT_FSIZE in bytes, SIGXFSZ then ignored
    unsigned timeoutSeconds = 120;   // the child is killed by SIGALRM after this
    bool stdoutReaderGone = false;   // standard output is a pipe nobody reads
};

inline ProgramRun runKorvel(const std::vector<std::string>& arguments, const RunLimits& limits = {})
{
    ProgramRun run;
    std::array<int, 2> outPipe{};
    std::array<int, 2> errPipe{};
    if (pipe(outPipe.data()) != 0 || pipe(errPipe.data()) != 0) {
        return run;
    }
    std::vector<std::string> argvText{KORVEL_BINARY};
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : argvText) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    if (limits.stdoutReaderGone) {
        // Closed before the child exists, so no process can ever read it.
        close(outPipe[0]);
        outPipe[0] = -1;
    }

    const pid_t child = fork();
    if (child < 0) {
        return run;
    }
    if (child == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        if (outPipe[0] >= 0) {
            close(outPipe[0]);
        }
        close(outPipe[1]);
        close(errPipe[0]);
        close(errPipe[1]);
        // Dispositions set to "ignore" survive exec: start from the defaults.
        signal(SIGPIPE, SIG_DFL);
        signal(SIGXFSZ, SIG_DFL);
        if (limits.fileSize) {
            signal(SIGXFSZ, SIG_IGN);  // stays ignored across exec
            const rlimit limit{*limits.fileSize, *limits.fileSize};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        alarm(limits.timeoutSeconds);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    run.started = true;

    std::array<pollfd, 2> fds{{{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&run.out, &run.err};
    int openPipes = limits.stdoutReaderGone ? 1 : 2;
    while (openPipes > 0) {
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            std::array<char, 4096> buffer{};
            const ssize_t n = read(fds[i].fd, buffer.data(), buffer.size());
            if (n > 0) {
                sinks[i]->append(buffer.data(), static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --openPipes;
            }
        }
    }
    int wstatus = 0;
    while (waitpid(child, &wstatus, 0) < 0 && errno == EINTR) {
    }
    run.exited = WIFEXITED(wstatus);
    run.status = run.exited ? WEXITSTATUS(wstatus) : -1;
    run.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
    return run;
}

// The two lines every failed run prints, for a message of the result table.
inline std::string failureText(const std::string& message) { return "korvel Version 1.3\n" + message + "\n"; }

// A fresh directory under the system's temporary directory, removed with its
// content at the end of the scope.
class ScratchDirectory {
public:
    ScratchDirectory()
    {
        std::random_device device;
        const auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            const auto candidate = base / ("korvel-hardening-" + std::to_string(device()));
            if (std::filesystem::create_directory(candidate)) {
                path_ = candidate;
                return;
            }
        }
    }
    ~ScratchDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const noexcept { return path_; }
    [[nodiscard]] std::string file(const std::string& name) const { return (path_ / name).string(); }
    [[nodiscard]] std::size_t entryCount() const
    {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(path_), std::filesystem::directory_iterator{}));
    }

private:
    std::filesystem::path path_;
};

inline std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A complete PNG stream: the signature first and the IEND chunk last.
inline bool isCompletePng(const std::string& bytes)
{
    static const std::string kSignature("\x89PNG\r\n\x1a\n", 8);
    static const std::string kEnd("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    return bytes.size() >= kSignature.size() + kEnd.size() && bytes.compare(0, 8, kSignature) == 0 &&
           bytes.compare(bytes.size() - kEnd.size(), kEnd.size(), kEnd) == 0;
}

}  // namespace korvel::testing
