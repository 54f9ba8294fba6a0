#include "access_log.hpp"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace korvel::server {
namespace {

// Bytes a log reader must not see raw (control bytes, quotes, backslashes,
// non-ASCII) as \xNN, so that one request stays one line.
std::string escaped(std::string_view text)
{
    constexpr std::string_view kHex = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xFU];
        }
    }
    return out;
}

}  // namespace

AccessLog::~AccessLog()
{
    if (file_ != nullptr) {
        std::fflush(file_);
        if (ownsFile_) {
            std::fclose(file_);
        }
    }
}

Outcome AccessLog::open(const std::string& path)
{
    if (path == "-") {
        file_ = stdout;
        return ResultCode::Ok;
    }
    file_ = std::fopen(path.c_str(), "a");
    if (file_ == nullptr) {
        return {ResultCode::CantOpenOutputFile, "access log " + path + ": " + std::strerror(errno)};
    }
    ownsFile_ = true;
    return ResultCode::Ok;
}

void AccessLog::write(std::string_view client, std::string_view requestLine, unsigned status, std::size_t bytes,
                      std::chrono::microseconds taken)
{
    if (file_ == nullptr) {
        return;
    }
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char when[32];
    std::strftime(when, sizeof when, "%d/%b/%Y:%H:%M:%S +0000", &utc);
    const std::string line = std::string(client) + " - - [" + when + "] \"" + escaped(requestLine) + "\" " +
                             std::to_string(status) + " " + std::to_string(bytes) + " " +
                             std::to_string(taken.count()) + "\n";
    const std::lock_guard lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

}  // namespace korvel::server
