#include "output/in_flight_files.hpp"

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace korvel {
namespace {

// Enough for every worker of the largest batch, its report and the files of
// a few other threads that use the library; a writer waits for a free slot.
constexpr std::size_t kSlots = 320;

enum SlotState : int { kFree, kClaimed, kActive, kTaken };

struct Slot {
    std::atomic<int> state{kFree};
    FileIdentity identity;
    std::array<char, PATH_MAX> path{};
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

std::array<Slot, kSlots> slots;
// Threads between claiming a slot and marking it active: the handler waits
// for them, so that no file it did not see is created after it looked.
std::atomic<int> opening{0};
std::atomic<bool> ending{false};

constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};

int claimSlot()
{
    for (;;) {
        for (std::size_t i = 0; i < slots.size(); ++i) {
            int expected = kFree;
            if (slots[i].state.load(std::memory_order_relaxed) == kFree &&
                slots[i].state.compare_exchange_strong(expected, kClaimed)) {
                return static_cast<int>(i);
            }
        }
        sched_yield();
    }
}

// The path may be a new file or a regular one, which a run may have to
// remove; anything else (a device, a pipe) is written as it is.
bool mayBeRegular(const char* path)
{
    struct stat info {};
    if (stat(path, &info) != 0) {
        return errno == ENOENT;
    }
    return S_ISREG(info.st_mode);
}

// Signals are held back on this thread while it opens a file, so that the
// handler never runs on a thread that is itself between claim and mark.
class SignalsHeld {
public:
    SignalsHeld() noexcept
    {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : kSignals) {
            sigaddset(&held, signal);
        }
        pthread_sigmask(SIG_BLOCK, &held, &before_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t before_{};
};

void removeEveryFileInFlight() noexcept
{
    ending.store(true);
    // Another thread may be opening a file right now; it takes microseconds.
    // A second is the limit, for a file system that does not answer.
    constexpr int kWaits = 1000;
    const timespec millisecond{0, 1000000};
    for (int i = 0; i < kWaits && opening.load() > 0; ++i) {
        nanosleep(&millisecond, nullptr);
    }
    for (Slot& slot : slots) {
        int expected = kActive;
        if (slot.state.compare_exchange_strong(expected, kTaken)) {
            removeIfSame(slot.path.data(), slot.identity);
        }
    }
}

void onEndingSignal(int signal)
{
    const int savedErrno = errno;
    removeEveryFileInFlight();
    // The signal stays blocked until the handler returns; it is then
    // delivered again with its default action and ends the process.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(signal, &defaultAction, nullptr);
    raise(signal);
    errno = savedErrno;
}

}  // namespace

int InFlightFile::open(const char* path)
{
    release();
    if (!mayBeRegular(path)) {
        return ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    }
    const int slot = claimSlot();
    Slot& claimed = slots[static_cast<std::size_t>(slot)];
    const SignalsHeld held;
    opening.fetch_add(1);
    if (ending.load()) {
        opening.fetch_sub(1);
        claimed.state.store(kFree);
        errno = EINTR;
        return -1;
    }
    const int descriptor = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    struct stat info {};
    if (descriptor >= 0 && fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode)) {
        // The resolved path is the file itself, not a symbolic link to it.
        if (realpath(path, claimed.path.data()) == nullptr) {
            std::strncpy(claimed.path.data(), path, claimed.path.size() - 1);
            claimed.path.back() = '\0';
        }
        claimed.identity = {info.st_dev, info.st_ino};
        identity_ = claimed.identity;
        slot_ = slot;
        claimed.state.store(kActive);
    } else {
        claimed.state.store(kFree);
    }
    opening.fetch_sub(1);
    return descriptor;
}

void InFlightFile::release() noexcept
{
    if (slot_ < 0) {
        return;
    }
    int expected = kActive;
    // A slot that the handler took stays taken: the process is ending.
    slots[static_cast<std::size_t>(slot_)].state.compare_exchange_strong(expected, kFree);
    slot_ = -1;
}

void InFlightFile::remove() noexcept
{
    if (slot_ >= 0) {
        removeIfSame(resolvedPath(), identity_);
    }
    release();
}

const char* InFlightFile::resolvedPath() const noexcept
{
    return slot_ >= 0 ? slots[static_cast<std::size_t>(slot_)].path.data() : "";
}

void removeIfSame(const char* path, const FileIdentity& identity) noexcept
{
    struct stat info {};
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode) || !(FileIdentity{info.st_dev, info.st_ino} == identity) ||
        unlink(path) == 0) {
        return;
    }
    // A file that cannot be removed is at least emptied, so that nothing is
    // left that looks like a finished output.
    const int descriptor = ::open(path, O_WRONLY | O_CLOEXEC);
    if (descriptor >= 0) {
        static_cast<void>(ftruncate(descriptor, 0));
        close(descriptor);
    }
}

void removeInFlightFilesOnSignals()
{
    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) {
        sigaddset(&action.sa_mask, signal);
    }
    for (const int signal : kSignals) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
            sigaction(signal, &action, nullptr);
        }
    }
}

}  // namespace korvel
