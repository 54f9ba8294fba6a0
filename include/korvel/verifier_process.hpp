#pragma once
// The decoder in a helper program: korvel-verify, installed beside korvel,
// reads symbols with zxing-cpp. A program linked statically cannot load the
// decoder library, so it talks to one helper process over a socket pair
// (the helper's standard input and output) for as many symbols as it likes.
//
// Protocol, all integers little-endian; every message is a frame: a 4-byte
// tag, a u32 payload length (at most 64 MiB), the payload.
//   helper, once at start:  "KVH1", payload: the decoder's name and version
//   request:                "KVQ1", payload: u32 width, u32 height (1..16384),
//                           width x height grey bytes (0 black, 255 white)
//   answer:                 "KVA1", payload: u8 1 when a symbol was read, 0
//                           when none was found; when read: u32 n + n data
//                           bytes, u32 n + n bytes of symbology identifier,
//                           u8 reader programming, i32 structured append
//                           position (0 none), i32 total, u32 count of ECI
//                           designations, each u32 number and u32 byte offset
// The helper ends at the end of its input, and on a malformed request after
// an "KVE1" frame whose payload says what was wrong. Its standard error is a
// pipe of its own, read by the program that started it.

#include <sys/types.h>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "korvel/result_code.hpp"
#include "korvel/verification.hpp"

namespace korvel {

inline constexpr const char* kVerifierProgramName = "korvel-verify";

struct VerifierProcessOptions {
    // The helper program; empty: korvel-verify in the directory of the
    // running program, then in the directories of PATH.
    std::string program;
    int startSeconds = 10;   // for the helper's greeting
    int answerSeconds = 30;  // for each answer
};

// The helper's path, or 17 with a detail that says where it was looked for.
[[nodiscard]] Outcome findVerifierProgram(std::string& path);

class HelperChannel;

// Safe to share between threads: requests go to the helper one at a time,
// and each thread takes the answer to its own request, so several requests
// are in flight at once and no thread waits for another's reading.
class VerifierProcess final : public SymbolDecoder {
public:
    // Finds and starts the helper. 17 when it cannot be found or started.
    [[nodiscard]] static Outcome start(const VerifierProcessOptions& options, std::unique_ptr<VerifierProcess>& process);

    // Closes the helper's input and waits for it to end (killing it after a
    // short grace time).
    ~VerifierProcess() override;

    // 17 when the helper does not greet or answer in time, ends, or answers
    // something malformed; the helper is stopped then, every later call
    // fails alike, and the detail quotes the end of what the helper wrote
    // on its standard error (which never reaches this process's own).
    [[nodiscard]] Outcome decode(const GrayRaster& raster, std::optional<SymbolReading>& reading) override;
    [[nodiscard]] Outcome begin(const GrayRaster& raster, Ticket& ticket) override;
    [[nodiscard]] Outcome end(Ticket& ticket, std::optional<SymbolReading>& reading) override;
    // The decoder named in the helper's greeting (its path before the greeting).
    [[nodiscard]] std::string name() const override;
    [[nodiscard]] const std::string& program() const noexcept { return program_; }

private:
    struct Answer {
        Outcome outcome;
        std::optional<SymbolReading> reading;
    };

    VerifierProcess(std::string program, pid_t pid, std::unique_ptr<HelperChannel> channel,
                    const VerifierProcessOptions& options);
    Outcome greet();
    Answer receiveAnswer();
    Outcome fail(std::string detail);
    void stop(bool kill);
    std::string exitDescription();

    const std::string program_;
    const VerifierProcessOptions options_;
    std::unique_ptr<HelperChannel> channel_;
    std::mutex sending_;                  // one request on the socket at a time
    mutable std::mutex state_;            // everything below
    std::condition_variable answered_;
    pid_t pid_ = -1;
    std::string decoderName_;
    std::optional<Outcome> failure_;
    std::uint64_t sent_ = 0;              // requests sent
    std::uint64_t received_ = 0;          // answers received
    bool receiving_ = false;              // a thread is reading an answer
    std::map<std::uint64_t, Answer> unclaimed_;  // answers received for other threads
};

}  // namespace korvel
