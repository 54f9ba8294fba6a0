// korvel-verify: the decoder behind `korvel --verify`. It reads plain
// rasters of symbols on standard input and answers with what zxing-cpp
// reads in them, in the frames described in korvel/verifier_process.hpp,
// until its input ends.

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "korvel/verifier_process.hpp"
#include "korvel/zxing_decoder.hpp"
#include "decoding/decoder_pool.hpp"
#include "decoding/verifier_protocol.hpp"

namespace {

using namespace korvel;

// OutputClosed: the answers held could not be sent before waiting for input.
enum class ReadResult { Complete, EndOfInput, Broken, OutputClosed };

bool writeAll(std::span<const std::uint8_t> bytes)
{
    std::size_t put = 0;
    while (put < bytes.size()) {
        const ssize_t n = write(STDOUT_FILENO, bytes.data() + put, bytes.size() - put);
        if (n > 0) {
            put += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

// Answers to the requests read so far, sent together when the helper has
// read all its input: a burst of requests gets one write back, and the
// other side is woken once for it.
class Output {
public:
    void add(const verifier::Tag& tag, std::span<const std::uint8_t> payload)
    {
        const std::vector<std::uint8_t> framed = verifier::frame(tag, payload);
        held_.insert(held_.end(), framed.begin(), framed.end());
    }
    bool flush()
    {
        const bool written = writeAll(held_);
        held_.clear();
        return written;
    }

private:
    std::vector<std::uint8_t> held_;
};

// Standard input, read in large pieces: a small request (most are) comes in
// one call, with the start of the next when the other side sends several.
class Input {
public:
    explicit Input(Output& output) : output_(output) {}

    // Before it waits for more input, the answers held are sent.
    ReadResult readExactly(std::span<std::uint8_t> bytes)
    {
        std::size_t got = take(bytes);
        while (got < bytes.size()) {
            if (!output_.flush()) {
                return ReadResult::OutputClosed;
            }
            const bool direct = bytes.size() - got >= buffer_.size();
            const ssize_t n = direct ? read(STDIN_FILENO, bytes.data() + got, bytes.size() - got)
                                     : read(STDIN_FILENO, buffer_.data(), buffer_.size());
            if (n > 0 && direct) {
                got += static_cast<std::size_t>(n);
            } else if (n > 0) {
                start_ = 0;
                end_ = static_cast<std::size_t>(n);
                got += take(bytes.subspan(got));
            } else if (n == 0) {
                return got == 0 ? ReadResult::EndOfInput : ReadResult::Broken;
            } else if (errno != EINTR) {
                return ReadResult::Broken;
            }
        }
        return ReadResult::Complete;
    }

    // Whether input is there to read without waiting.
    bool ready() const
    {
        pollfd entry{STDIN_FILENO, POLLIN, 0};
        return start_ < end_ || poll(&entry, 1, 0) > 0;
    }

private:
    std::size_t take(std::span<std::uint8_t> bytes)
    {
        const std::size_t n = std::min(bytes.size(), end_ - start_);
        std::copy_n(buffer_.data() + start_, n, bytes.data());
        start_ += n;
        return n;
    }

    Output& output_;
    std::array<std::uint8_t, 64 * 1024> buffer_{};
    std::size_t start_ = 0;
    std::size_t end_ = 0;
};

bool sendFrame(const verifier::Tag& tag, std::span<const std::uint8_t> payload)
{
    return writeAll(verifier::frame(tag, payload));
}

// Tells the other side what was wrong with its request, after the answers
// held; the helper then ends.
int refuse(Output& output, const std::string& what)
{
    output.add(verifier::kError, {reinterpret_cast<const std::uint8_t*>(what.data()), what.size()});
    static_cast<void>(output.flush());
    std::fprintf(stderr, "%s: %s\n", kVerifierProgramName, what.c_str());
    return 2;
}

// Requests decoded together at most; a burst from korvel is several.
constexpr std::size_t kMostAtOnce = 32;

unsigned decodingThreads()
{
    return std::clamp(std::thread::hardware_concurrency(), 1U, 4U);
}

// A request read, or why there is none: the helper then answers what it
// holds and ends with `status`, after refusing with `refusal` if it is set.
struct Request {
    bool read = false;
    int status = 0;
    std::string refusal;
};

Request readRequest(Input& input, std::vector<std::uint8_t>& payload, GrayRaster& raster)
{
    std::array<std::uint8_t, verifier::kFrameHeaderSize> header{};
    const ReadResult got = input.readExactly(header);
    if (got == ReadResult::EndOfInput) {
        return {false, 0, {}};
    }
    if (got == ReadResult::OutputClosed) {
        return {false, 1, {}};
    }
    verifier::Tag tag{};
    const auto length = got == ReadResult::Complete ? verifier::payloadLength(header, tag) : std::nullopt;
    if (!length || tag != verifier::kRequest) {
        return {false, 2, "not a request frame"};
    }
    payload.resize(*length);
    const ReadResult body = input.readExactly(payload);
    if (body == ReadResult::OutputClosed) {
        return {false, 1, {}};
    }
    if (body != ReadResult::Complete && *length > 0) {
        return {false, 2, "the request ends early"};
    }
    if (std::string wrong = verifier::parseRequest(payload, raster); !wrong.empty()) {
        return {false, 2, std::move(wrong)};
    }
    return {true, 0, {}};
}

// The requests that have come in are read together (waiting only for the
// first), decoded on all threads and answered in their order.
int serve()
{
    DecoderPool decoders(decodingThreads());
    const std::string name = ZxingDecoder().name();
    if (!sendFrame(verifier::kHello, {reinterpret_cast<const std::uint8_t*>(name.data()), name.size()})) {
        return 1;
    }
    std::vector<std::uint8_t> payload;
    std::vector<GrayRaster> rasters(kMostAtOnce);
    std::vector<std::optional<SymbolReading>> readings(kMostAtOnce);
    Output output;
    Input input(output);
    for (;;) {
        std::size_t count = 0;
        Request request{true, 0, {}};
        while (count < kMostAtOnce && (count == 0 || input.ready())) {
            request = readRequest(input, payload, rasters[count]);
            if (!request.read) {
                break;
            }
            ++count;
        }
        decoders.decodeAll(std::span(rasters.data(), count), std::span(readings.data(), count));
        for (std::size_t k = 0; k < count; ++k) {
            output.add(verifier::kAnswer, verifier::answerPayload(readings[k]));
        }
        if (!request.refusal.empty()) {
            return refuse(output, request.refusal);
        }
        if (!request.read) {
            const bool answered = output.flush();
            return request.status != 0 ? request.status : (answered ? 0 : 1);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s (%s)\n", kVerifierProgramName, korvel::ZxingDecoder().name().c_str());
        return 0;
    }
    if (argc > 1 || isatty(STDIN_FILENO) != 0) {
        std::fprintf(stderr,
                     "%s reads symbols for `korvel --verify` over a binary protocol on its standard input and "
                     "output;\nit is started by korvel and not meant to be run by hand (--version names its decoder).\n",
                     kVerifierProgramName);
        return 2;
    }
    return serve();
}
