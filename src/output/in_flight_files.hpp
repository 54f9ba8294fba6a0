#pragma once
// The regular files being written at this moment, kept where a signal handler
// can find them: a run ended by SIGINT, SIGTERM or SIGHUP removes them before
// it ends, so that no empty, half-written or mixed file is left behind.
//
// The registry is fixed storage read by the handler with lock-free atomic
// operations and async-signal-safe calls only (stat, unlink, nanosleep,
// sigaction, raise).

#include <sys/types.h>

namespace korvel {

// Which file an open descriptor writes to: a path may name another file by
// the time it is removed.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;

    [[nodiscard]] bool operator==(const FileIdentity&) const = default;
};

// One file from just before it is opened until it is finished or removed.
class InFlightFile {
public:
    InFlightFile() = default;
    ~InFlightFile() { release(); }
    InFlightFile(const InFlightFile&) = delete;
    InFlightFile& operator=(const InFlightFile&) = delete;

    // Opens `path` for writing (created with mode 0666 less the umask, an
    // existing file not emptied) and returns the descriptor, or -1 with errno
    // set (EINTR when the process is ending by a signal). A regular file is
    // in flight from before it exists until release(); an existing device,
    // pipe or terminal is opened as it is and never removed.
    [[nodiscard]] int open(const char* path);

    // The file is finished (or removed): a signal no longer removes it.
    void release() noexcept;

    // Removes the file if the path still names it, then releases it.
    void remove() noexcept;

    [[nodiscard]] bool regular() const noexcept { return slot_ >= 0; }
    [[nodiscard]] FileIdentity identity() const noexcept { return identity_; }
    // The path the file was found at, symbolic links resolved (regular files only).
    [[nodiscard]] const char* resolvedPath() const noexcept;

private:
    int slot_ = -1;
    FileIdentity identity_;
};

// Removes the file at `path` if it is still the file with `identity`.
void removeIfSame(const char* path, const FileIdentity& identity) noexcept;

// Installs the handlers of SIGINT, SIGTERM and SIGHUP (those not ignored at
// start) that remove every file in flight and end the process by the same
// signal with its default action. For programs; the library never installs
// signal handlers.
void removeInFlightFilesOnSignals();

}  // namespace korvel
