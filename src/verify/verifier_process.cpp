// Finding, starting and talking to the verifier helper. Every wait has a
// deadline, and writes never raise SIGPIPE in the caller's process, so a
// helper that hangs or dies ends the exchange with a message, never a hang
// or a signal.

#include "korvel/verifier_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "verify/verifier_protocol.hpp"

extern char** environ;

namespace korvel {
namespace {

using Clock = std::chrono::steady_clock;

bool isExecutableFile(const std::string& path)
{
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The directory of the running program, from /proc/self/exe.
std::string programDirectory()
{
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) {
        return {};
    }
    path.resize(static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

std::string joinPath(const std::string& directory, const char* name)
{
    if (directory.empty()) {
        return std::string("./") + name;  // an empty PATH entry is the working directory
    }
    return directory + (directory.back() == '/' ? "" : "/") + name;
}

int remainingMilliseconds(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 60'000));
}

enum class IoResult { Done, TimedOut, Closed };

// Waits until the socket is ready for `events`; false when the deadline passed.
bool waitFor(int socket, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd entry{socket, events, 0};
        const int ready = poll(&entry, 1, remainingMilliseconds(deadline));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 && Clock::now() >= deadline) {
            return false;
        }
        if (ready < 0 && errno != EINTR) {
            return true;  // let the read or write report the error
        }
    }
}

IoResult sendAll(int socket, std::span<const std::uint8_t> bytes, Clock::time_point deadline)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (!waitFor(socket, POLLOUT, deadline)) {
            return IoResult::TimedOut;
        }
        const ssize_t n = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return IoResult::Closed;
        }
    }
    return IoResult::Done;
}

IoResult receiveAll(int socket, std::span<std::uint8_t> bytes, Clock::time_point deadline)
{
    std::size_t received = 0;
    while (received < bytes.size()) {
        if (!waitFor(socket, POLLIN, deadline)) {
            return IoResult::TimedOut;
        }
        const ssize_t n = recv(socket, bytes.data() + received, bytes.size() - received, MSG_DONTWAIT);
        if (n > 0) {
            received += static_cast<std::size_t>(n);
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
            return IoResult::Closed;
        }
    }
    return IoResult::Done;
}

// One frame from the helper, or why there is none.
struct Received {
    IoResult result = IoResult::Done;
    bool malformed = false;
    verifier::Tag tag{};
    std::vector<std::uint8_t> payload;
};

Received receiveFrame(int socket, Clock::time_point deadline)
{
    Received frame;
    std::array<std::uint8_t, verifier::kFrameHeaderSize> header{};
    frame.result = receiveAll(socket, header, deadline);
    if (frame.result != IoResult::Done) {
        return frame;
    }
    const auto length = verifier::payloadLength(header, frame.tag);
    if (!length) {
        frame.malformed = true;
        return frame;
    }
    frame.payload.resize(*length);
    frame.result = receiveAll(socket, frame.payload, deadline);
    return frame;
}

}  // namespace

Outcome findVerifierProgram(std::string& path)
{
    const std::string here = programDirectory();
    if (!here.empty() && isExecutableFile(joinPath(here, kVerifierProgramName))) {
        path = joinPath(here, kVerifierProgramName);
        return ResultCode::Ok;
    }
    const char* searchPath = std::getenv("PATH");
    if (searchPath != nullptr) {
        const std::string_view directories(searchPath);
        std::size_t start = 0;
        for (;;) {
            const std::size_t colon = directories.find(':', start);
            const std::string directory(directories.substr(start, colon - start));
            if (isExecutableFile(joinPath(directory, kVerifierProgramName))) {
                path = joinPath(directory, kVerifierProgramName);
                return ResultCode::Ok;
            }
            if (colon == std::string_view::npos) {
                break;
            }
            start = colon + 1;
        }
    }
    const std::string nextTo = here.empty() ? "the running program (its directory is unknown)" : "the program in " + here;
    const std::string onPath = searchPath == nullptr ? "on PATH (not set)" : std::string("on PATH (") + searchPath + ")";
    return {ResultCode::VerifierNotAvailable,
            std::string(kVerifierProgramName) + " is neither next to " + nextTo + " nor " + onPath};
}

Outcome VerifierProcess::start(const VerifierProcessOptions& options, std::unique_ptr<VerifierProcess>& process)
{
    std::string program = options.program;
    if (program.empty()) {
        if (Outcome found = findVerifierProgram(program); !found.ok()) {
            return found;
        }
    } else if (!isExecutableFile(program)) {
        return {ResultCode::VerifierNotAvailable, program + " is not an executable file"};
    }
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        return {ResultCode::VerifierNotAvailable, std::string("cannot make a socket for the verifier: ") + std::strerror(errno)};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    // The helper starts with SIGPIPE at its default even when this process ignores it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    char* argv[] = {program.data(), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(ends[1]);
    if (spawned != 0) {
        close(ends[0]);
        return {ResultCode::VerifierNotAvailable, "cannot start " + program + ": " + std::strerror(spawned)};
    }
    process.reset(new VerifierProcess(std::move(program), pid, ends[0], options));
    return ResultCode::Ok;
}

VerifierProcess::VerifierProcess(std::string program, pid_t pid, int socket, const VerifierProcessOptions& options)
    : program_(std::move(program)), pid_(pid), socket_(socket), options_(options)
{
}

VerifierProcess::~VerifierProcess() { stop(false); }

std::string VerifierProcess::name() const { return decoderName_.empty() ? program_ : decoderName_; }

Outcome VerifierProcess::decode(const GrayRaster& raster, std::optional<SymbolReading>& reading)
{
    reading.reset();
    if (failure_) {
        return *failure_;
    }
    if (decoderName_.empty()) {
        if (Outcome greeted = greet(); !greeted.ok()) {
            return greeted;
        }
    }
    const auto deadline = Clock::now() + std::chrono::seconds(options_.answerSeconds);
    const std::vector<std::uint8_t> request = verifier::frame(verifier::kRequest, verifier::requestPayload(raster));
    const IoResult sent = sendAll(socket_, request, deadline);
    if (sent == IoResult::TimedOut) {
        return fail("the verifier " + program_ + " took no request for " + std::to_string(options_.answerSeconds) +
                    " seconds");
    }
    // A helper that went away shows at the answer, with its exit status.
    const Received answer = receiveFrame(socket_, deadline);
    if (answer.result == IoResult::TimedOut) {
        return fail("the verifier " + program_ + " gave no answer within " + std::to_string(options_.answerSeconds) +
                    " seconds");
    }
    if (answer.result == IoResult::Closed || sent == IoResult::Closed) {
        return fail("the verifier " + program_ + " " + exitDescription());
    }
    if (answer.malformed || answer.tag != verifier::kAnswer || !verifier::parseAnswer(answer.payload, reading)) {
        const std::string said = answer.tag == verifier::kError
                                     ? ": " + std::string(answer.payload.begin(), answer.payload.end())
                                     : std::string();
        reading.reset();
        return fail("the verifier " + program_ + " gave a malformed answer" + said);
    }
    return ResultCode::Ok;
}

Outcome VerifierProcess::greet()
{
    const Received hello = receiveFrame(socket_, Clock::now() + std::chrono::seconds(options_.startSeconds));
    if (hello.result == IoResult::TimedOut) {
        return fail("the verifier " + program_ + " did not start within " + std::to_string(options_.startSeconds) +
                    " seconds");
    }
    if (hello.result == IoResult::Closed) {
        return fail("the verifier " + program_ + " " + exitDescription());
    }
    if (hello.malformed || hello.tag != verifier::kHello || hello.payload.empty()) {
        return fail(program_ + " does not speak the verifier protocol");
    }
    decoderName_.assign(hello.payload.begin(), hello.payload.end());
    return ResultCode::Ok;
}

Outcome VerifierProcess::fail(std::string detail)
{
    stop(true);
    failure_ = Outcome(ResultCode::VerifierNotAvailable, std::move(detail));
    return *failure_;
}

std::string VerifierProcess::exitDescription()
{
    // The socket closed: the helper is ending or has ended.
    int status = 0;
    pid_t ended = 0;
    for (int tries = 0; tries < 100 && ended == 0; ++tries) {
        ended = waitpid(pid_, &status, WNOHANG);
        if (ended == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    if (ended != pid_) {
        return "closed its end of the connection";
    }
    pid_ = -1;
    if (WIFSIGNALED(status)) {
        return "was ended by signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")";
    }
    return "ended with status " + std::to_string(WEXITSTATUS(status));
}

void VerifierProcess::stop(bool kill)
{
    if (socket_ >= 0 && !kill) {
        // The end of its input makes the helper leave; its end of the socket
        // closes when it has gone.
        shutdown(socket_, SHUT_WR);
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        std::array<std::uint8_t, 256> ignored{};
        while (waitFor(socket_, POLLIN, deadline)) {
            const ssize_t n = recv(socket_, ignored.data(), ignored.size(), MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
                break;
            }
        }
    }
    if (socket_ >= 0) {
        close(socket_);
        socket_ = -1;
    }
    if (pid_ <= 0) {
        return;
    }
    int status = 0;
    pid_t ended = 0;
    for (int tries = 0; !kill && tries < 500 && ended == 0; ++tries) {
        ended = waitpid(pid_, &status, WNOHANG);
        if (ended == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (ended == 0) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
    pid_ = -1;
}

}  // namespace korvel
