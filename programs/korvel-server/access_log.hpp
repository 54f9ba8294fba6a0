#pragma once
// One line per answered request, in the Common Log Format with the time
// taken appended: client, time (UTC), request line, status, body bytes,
// microseconds. Lines from many threads never interleave.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "korvel/result_code.hpp"

namespace korvel::server {

class AccessLog {
public:
    AccessLog() = default;
    ~AccessLog();
    AccessLog(const AccessLog&) = delete;
    AccessLog& operator=(const AccessLog&) = delete;

    // Opens the file for appending, or takes standard output for "-".
    // Fails with 12 and the reason when the file cannot be opened.
    [[nodiscard]] Outcome open(const std::string& path);
    [[nodiscard]] bool enabled() const noexcept { return file_ != nullptr; }

    // `requestLine` is "-" for a request that was refused before it was whole.
    void write(std::string_view client, std::string_view requestLine, unsigned status, std::size_t bytes,
               std::chrono::microseconds taken);

private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
};

}  // namespace korvel::server
