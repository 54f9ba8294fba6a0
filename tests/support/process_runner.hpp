#pragma once
// Runs a program as a child process with its output captured, and gives
// tests a scratch directory of their own to run it in. Every test that runs
// the built korvel program does so through runKorvel.

#include <sys/resource.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvel/result_code.hpp"

namespace korvel::testing {

struct ProcessResult {
    bool exited = false;   // ended through exit (not by a signal)
    int exitStatus = -1;   // valid when exited
    int signal = 0;        // the terminating signal otherwise
    std::string out;       // everything written to standard output
    std::string err;       // everything written to the standard error stream
};

// What the child may do, and what it finds.
struct RunLimits {
    std::optional<rlim_t> fileSize;  // RLIMIT_FSIZE in bytes; SIGXFSZ stays at its default, which
                                     // would kill a program that does not ignore it
    unsigned timeoutSeconds = 120;   // the child is killed by SIGALRM after this
    bool stdoutReaderGone = false;   // standard output is a pipe nobody reads
    std::filesystem::path standardInput = "/dev/null";  // the file standard input reads
    // Changes to the environment the child inherits, in order: "NAME=value"
    // sets a variable, "NAME" removes it.
    std::vector<std::string> environment;
    // Standard descriptors (0, 1, 2) the child starts with closed.
    std::vector<int> closedDescriptors;
    // A signal sent to the child this long after it started, unless it has
    // ended by then.
    int signal = 0;
    std::chrono::milliseconds signalAfter{0};
};

// Runs `program` with `arguments` in `workingDirectory`, standard input from
// the limits' file, SIGPIPE and SIGXFSZ at their defaults, and waits for it.
// The program path itself is passed as argv[0]; `arguments` follow it.
[[nodiscard]] ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                                       const std::filesystem::path& workingDirectory, const RunLimits& limits = {});

// A fresh, empty directory under the system's temporary directory, removed
// with everything in it on destruction.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const noexcept { return path_; }
    [[nodiscard]] std::string file(const std::string& name) const { return (path_ / name).string(); }
    [[nodiscard]] std::size_t entryCount() const;
    // The names of its entries, sorted.
    [[nodiscard]] std::vector<std::string> fileNames() const;
    // The whole content of a file in it (empty when it cannot be read), and
    // a file written with `content`.
    [[nodiscard]] std::string read(const std::string& name) const;
    void write(const std::string& name, std::string_view content) const;

private:
    std::filesystem::path path_;
};

// The arguments followed by the name of the file to write.
[[nodiscard]] std::vector<std::string> withOutput(std::vector<std::string> arguments,
                                                  const std::string& file = "out.png");

// The built korvel program, and a run of it in `directory`. The run does not
// see a SOURCE_DATE_EPOCH of the test's environment: images are stamped with
// the time of the run unless the limits set one.
[[nodiscard]] std::string korvelProgram();
// The korvel-verify helper built beside it (empty when it is not built).
[[nodiscard]] std::string verifierProgram();
[[nodiscard]] ProcessResult runKorvel(const std::vector<std::string>& arguments, const ScratchDirectory& directory,
                                      const RunLimits& limits = {});

// What a failed run prints on standard error: the banner line, then the
// message of the result table.
[[nodiscard]] std::string failureText(std::string_view message);
[[nodiscard]] std::string failureText(ResultCode code);

}  // namespace korvel::testing
