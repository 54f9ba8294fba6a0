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

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "common/byte_text.hpp"
#include "decoding/verifier_protocol.hpp"

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

bool wouldBlock(int error) { return error == EINTR || error == EAGAIN || error == EWOULDBLOCK; }

enum class IoResult { Done, TimedOut, Closed };

}  // namespace

// What the helper writes on its standard error comes through a pipe that
// is read whenever the exchange waits; the last few kilobytes are kept, to
// tell what the helper said when it fails. Its end of the pipe does not
// block, so a helper that writes much loses text, never time.
class HelperChannel {
public:
    HelperChannel(int socket, int errors) : socket_(socket), errors_(errors) {}
    HelperChannel(const HelperChannel&) = delete;
    HelperChannel& operator=(const HelperChannel&) = delete;
    ~HelperChannel() { close(); }

    void close()
    {
        for (int* fd : {&socket_, &errors_}) {
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
        }
    }
    void shutdownSending() const { shutdown(socket_, SHUT_WR); }
    [[nodiscard]] bool open() const noexcept { return socket_ >= 0; }

    // Sends all bytes; a full socket is waited for until the deadline.
    IoResult sendAll(std::span<const std::uint8_t> bytes, Clock::time_point deadline)
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
            } else if (n < 0 && !wouldBlock(errno)) {
                return IoResult::Closed;
            } else if (!waitFor(POLLOUT, deadline)) {
                return IoResult::TimedOut;
            }
        }
        return IoResult::Done;
    }

    // Fills `bytes`; bytes not there yet are waited for until the deadline.
    // What the socket holds is read in one go, so that a small answer
    // (most are) takes one call, and the rest is kept for the next.
    IoResult receiveAll(std::span<std::uint8_t> bytes, Clock::time_point deadline)
    {
        std::size_t received = takeBuffered(bytes);
        while (received < bytes.size()) {
            const bool direct = bytes.size() - received >= kInputBuffer;
            std::uint8_t* into = direct ? bytes.data() + received : input_.data();
            const std::size_t room = direct ? bytes.size() - received : kInputBuffer;
            const ssize_t n = recv(socket_, into, room, MSG_DONTWAIT);
            if (n > 0) {
                if (direct) {
                    received += static_cast<std::size_t>(n);
                } else {
                    inputStart_ = 0;
                    inputEnd_ = static_cast<std::size_t>(n);
                    received += takeBuffered(bytes.subspan(received));
                }
            } else if (n == 0 || !wouldBlock(errno)) {
                return IoResult::Closed;
            } else if (!waitFor(POLLIN, deadline)) {
                return IoResult::TimedOut;
            }
        }
        return IoResult::Done;
    }

    // Takes what the helper has written on its standard error so far.
    void readErrors()
    {
        const std::lock_guard lock(errorsMutex_);
        std::array<char, 4096> chunk{};
        while (!errorsEnded_) {
            const ssize_t n = read(errors_, chunk.data(), chunk.size());
            if (n > 0) {
                said_.append(chunk.data(), static_cast<std::size_t>(n));
                if (said_.size() > kKeptErrorBytes) {
                    said_.erase(0, said_.size() - kKeptErrorBytes);
                }
            } else if (n == 0 || errno != EINTR) {
                // At its end the helper, and all it started, have closed it.
                errorsEnded_ = n == 0 || !wouldBlock(errno);
                return;
            }
        }
    }
    [[nodiscard]] std::string said() const
    {
        const std::lock_guard lock(errorsMutex_);
        return said_;
    }

    // Waits until the socket is ready for `events`, reading the helper's
    // standard error meanwhile; false when the deadline passed.
    bool waitFor(short events, Clock::time_point deadline)
    {
        for (;;) {
            const bool errorsOpen = !errorsEnded();
            std::array<pollfd, 2> entries{pollfd{socket_, events, 0}, pollfd{errors_, POLLIN, 0}};
            const int ready = poll(entries.data(), errorsOpen ? 2 : 1, remainingMilliseconds(deadline));
            if (ready > 0 && errorsOpen && entries[1].revents != 0) {
                readErrors();
            }
            if (ready > 0 && entries[0].revents != 0) {
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

private:
    static constexpr std::size_t kKeptErrorBytes = 4096;
    static constexpr std::size_t kInputBuffer = 4096;

    // Bytes read before and not yet taken, into `bytes`; how many.
    std::size_t takeBuffered(std::span<std::uint8_t> bytes) noexcept
    {
        const std::size_t n = std::min(bytes.size(), inputEnd_ - inputStart_);
        std::copy_n(input_.data() + inputStart_, n, bytes.data());
        inputStart_ += n;
        return n;
    }

    [[nodiscard]] bool errorsEnded() const
    {
        const std::lock_guard lock(errorsMutex_);
        return errorsEnded_;
    }

    int socket_;
    int errors_;
    std::array<std::uint8_t, kInputBuffer> input_{};  // used by one receiving thread at a time
    std::size_t inputStart_ = 0;
    std::size_t inputEnd_ = 0;
    mutable std::mutex errorsMutex_;  // the sending and the receiving thread both read the pipe
    bool errorsEnded_ = false;
    std::string said_;
};

namespace {

// One frame from the helper, or why there is none.
struct Received {
    IoResult result = IoResult::Done;
    bool malformed = false;
    verifier::Tag tag{};
    std::vector<std::uint8_t> payload;
};

Received receiveFrame(HelperChannel& channel, Clock::time_point deadline)
{
    Received frame;
    std::array<std::uint8_t, verifier::kFrameHeaderSize> header{};
    frame.result = channel.receiveAll(header, deadline);
    if (frame.result != IoResult::Done) {
        return frame;
    }
    const auto length = verifier::payloadLength(header, frame.tag);
    if (!length) {
        frame.malformed = true;
        return frame;
    }
    frame.payload.resize(*length);
    frame.result = channel.receiveAll(frame.payload, deadline);
    return frame;
}

// At most this many bytes of what the helper said go into a message.
constexpr std::size_t kQuotedErrorBytes = 200;

// The helper's words for a message: its last line or lines, escaped.
std::string quoted(std::string_view said)
{
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' ')) {
        said.remove_suffix(1);
    }
    return "\"" + printableTail(said, kQuotedErrorBytes) + "\"";
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
    int errors[2];
    if (pipe2(errors, O_CLOEXEC | O_NONBLOCK) != 0) {
        const int error = errno;
        close(ends[0]);
        close(ends[1]);
        return {ResultCode::VerifierNotAvailable, std::string("cannot make a pipe for the verifier: ") + std::strerror(error)};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
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
    close(errors[1]);
    if (spawned != 0) {
        close(ends[0]);
        close(errors[0]);
        return {ResultCode::VerifierNotAvailable, "cannot start " + program + ": " + std::strerror(spawned)};
    }
    process.reset(new VerifierProcess(std::move(program), pid, std::make_unique<HelperChannel>(ends[0], errors[0]), options));
    return ResultCode::Ok;
}

VerifierProcess::VerifierProcess(std::string program, pid_t pid, std::unique_ptr<HelperChannel> channel,
                                 const VerifierProcessOptions& options)
    : program_(std::move(program)), options_(options), channel_(std::move(channel)), pid_(pid)
{
}

VerifierProcess::~VerifierProcess() { stop(false); }

std::string VerifierProcess::name() const
{
    const std::lock_guard lock(state_);
    return decoderName_.empty() ? program_ : decoderName_;
}

Outcome VerifierProcess::decode(const GrayRaster& raster, std::optional<SymbolReading>& reading)
{
    reading.reset();
    Ticket ticket;
    if (Outcome sent = begin(raster, ticket); !sent.ok()) {
        return sent;
    }
    return end(ticket, reading);
}

Outcome VerifierProcess::begin(const GrayRaster& raster, Ticket& ticket)
{
    const std::lock_guard sending(sending_);
    {
        const std::lock_guard lock(state_);
        if (failure_) {
            return *failure_;
        }
    }
    // No answer is awaited before the first request, so the greeting is
    // read here, before it.
    const bool greeted = [this] {
        const std::lock_guard lock(state_);
        return !decoderName_.empty();
    }();
    if (!greeted) {
        if (Outcome hello = greet(); !hello.ok()) {
            return hello;
        }
    }
    const std::vector<std::uint8_t> request = verifier::requestFrame(raster);
    held_.insert(held_.end(), request.begin(), request.end());
    std::uint64_t made = 0;
    {
        const std::lock_guard lock(state_);
        ticket.number = sent_++;
        made = sent_;
    }
    if (made - sentThrough_ >= static_cast<std::uint64_t>(std::max(options_.burst, 1))) {
        return sendHeld();
    }
    return ResultCode::Ok;
}

Outcome VerifierProcess::sendHeld()
{
    if (held_.empty()) {
        return ResultCode::Ok;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(options_.answerSeconds);
    const IoResult sent = channel_->sendAll(held_, deadline);
    held_.clear();
    {
        const std::lock_guard lock(state_);
        sentThrough_ = sent_;
    }
    if (sent == IoResult::TimedOut) {
        return fail("the verifier " + program_ + " took no request for " + std::to_string(options_.answerSeconds) +
                    " seconds");
    }
    // A helper that went away shows at the answer, with its exit status.
    return ResultCode::Ok;
}

// Answers come in the order of the requests: the first thread to wait reads
// them for all, keeping those of other threads until they come for them.
Outcome VerifierProcess::end(Ticket& ticket, std::optional<SymbolReading>& reading)
{
    reading.reset();
    // A request still held is sent first. A thread whose request is out
    // never waits for the sending lock, so answers are read even while
    // another thread waits for room on the socket.
    const auto held = [&] {
        const std::lock_guard lock(state_);
        return ticket.number >= sentThrough_ && !failure_;
    };
    if (held()) {
        const std::lock_guard sending(sending_);
        if (held()) {
            if (Outcome sent = sendHeld(); !sent.ok()) {
                return sent;
            }
        }
    }
    std::unique_lock lock(state_);
    for (;;) {
        if (const auto found = unclaimed_.find(ticket.number); found != unclaimed_.end()) {
            Answer answer = std::move(found->second);
            unclaimed_.erase(found);
            reading = std::move(answer.reading);
            return answer.outcome;
        }
        if (failure_) {
            return *failure_;
        }
        if (receiving_) {
            answered_.wait(lock);
            continue;
        }
        receiving_ = true;
        lock.unlock();
        Answer answer = receiveAnswer();
        lock.lock();
        receiving_ = false;
        if (answer.outcome.ok()) {
            unclaimed_.emplace(received_++, std::move(answer));
        }
        answered_.notify_all();
    }
}

VerifierProcess::Answer VerifierProcess::receiveAnswer()
{
    Answer answer;
    const Received frame = receiveFrame(*channel_, Clock::now() + std::chrono::seconds(options_.answerSeconds));
    if (frame.result == IoResult::TimedOut) {
        answer.outcome = fail("the verifier " + program_ + " gave no answer within " +
                              std::to_string(options_.answerSeconds) + " seconds");
    } else if (frame.result == IoResult::Closed) {
        answer.outcome = fail("the verifier " + program_ + " " + exitDescription());
    } else if (frame.malformed || frame.tag != verifier::kAnswer || !verifier::parseAnswer(frame.payload, answer.reading)) {
        const std::string said =
            frame.tag == verifier::kError
                ? ": " + quoted({reinterpret_cast<const char*>(frame.payload.data()), frame.payload.size()})
                : std::string();
        answer.reading.reset();
        answer.outcome = fail("the verifier " + program_ + " gave a malformed answer" + said);
    }
    return answer;
}

Outcome VerifierProcess::greet()
{
    const Received hello = receiveFrame(*channel_, Clock::now() + std::chrono::seconds(options_.startSeconds));
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
    const std::lock_guard lock(state_);
    decoderName_.assign(hello.payload.begin(), hello.payload.end());
    return ResultCode::Ok;
}

// The helper is stopped, and what it said on its standard error, if
// anything, is added to the detail: it tells why more often than the
// status does. The first failure is the one every call reports.
Outcome VerifierProcess::fail(std::string detail)
{
    const std::lock_guard lock(state_);
    if (failure_) {
        return *failure_;
    }
    channel_->readErrors();
    stop(true);
    channel_->readErrors();
    if (const std::string said = channel_->said(); !said.empty()) {
        detail += "; it said " + quoted(said);
    }
    failure_ = Outcome(ResultCode::VerifierNotAvailable, std::move(detail));
    answered_.notify_all();
    return *failure_;
}

// The socket closed: the helper is ending or has ended.
std::string VerifierProcess::exitDescription()
{
    const std::lock_guard lock(state_);
    if (pid_ <= 0) {
        return "closed its end of the connection";
    }
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

// Ends the helper: gently (the end of its input, then a grace time) or at
// once. A helper killed at once leaves its socket and pipe open, since
// another thread may be waiting on them; they close with this object.
void VerifierProcess::stop(bool kill)
{
    if (!kill && !failure_) {
        // The end of its input makes the helper leave; its end of the socket
        // closes when it has gone.
        channel_->shutdownSending();
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        std::array<std::uint8_t, 256> ignored{};
        while (channel_->receiveAll(ignored, deadline) == IoResult::Done) {
        }
    }
    if (pid_ > 0) {
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
    if (!kill) {
        channel_->close();
    }
}

}  // namespace korvel
