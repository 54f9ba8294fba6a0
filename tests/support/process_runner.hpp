#pragma once
// Runs a program as a child process with its output captured, and gives
// tests a scratch directory of their own to run it in.

#include <filesystem>
#include <string>
#include <vector>

namespace korvel::testing {

struct ProcessResult {
    bool exited = false;   // ended through exit (not by a signal)
    int exitStatus = -1;   // valid when exited
    int signal = 0;        // the terminating signal otherwise
    std::string out;       // everything written to standard output
    std::string err;       // everything written to the standard error stream
};

// Runs `program` with `arguments` in
// `workingDirectory`, standard input from /dev/null, and waits for it. The
// program path itself is passed as argv[0]; `arguments` follow it.
[[nodiscard]] ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                                       const std::filesystem::path& workingDirectory);

// A fresh, empty directory under the system's temporary directory, removed
// with everything in it on destruction.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace korvel::testing
