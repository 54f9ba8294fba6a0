#include "batch/input_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace korvel {

InputFile::InputFile(const std::string& path) : name_(path == "-" ? "standard input" : path)
{
    if (path == "-") {
        file_ = stdin;
    } else {
        file_ = std::fopen(path.c_str(), "rb");
        owned_ = true;
        if (file_ == nullptr) {
            fail(errno);
            return;
        }
    }
    struct stat info {};
    if (fstat(fileno(file_), &info) == 0 && S_ISREG(info.st_mode)) {
        start_ = lseek(fileno(file_), 0, SEEK_CUR);
    }
}

InputFile::~InputFile()
{
    if (owned_ && file_ != nullptr) {
        std::fclose(file_);
    }
}

void InputFile::fail(int error)
{
    status_ = Outcome(ResultCode::CantReadInputFile, name_ + ": " + std::strerror(error));
}

std::size_t InputFile::read(std::span<char> buffer)
{
    if (!status_.ok() || buffer.empty()) {
        return 0;
    }
    errno = 0;
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file_);
    if (got == 0 && std::ferror(file_) != 0) {
        fail(errno != 0 ? errno : EIO);
    }
    return got;
}

std::optional<std::uint64_t> InputFile::countLines() const
{
    if (!status_.ok() || start_ < 0) {
        return std::nullopt;
    }
    std::vector<char> buffer(std::size_t{1} << 16);
    std::uint64_t lines = 0;
    char last = '\n';
    for (off_t at = start_;;) {
        const ssize_t got = pread(fileno(file_), buffer.data(), buffer.size(), at);
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        const auto end = buffer.begin() + got;
        lines += static_cast<std::uint64_t>(std::count(buffer.begin(), end, '\n'));
        last = *(end - 1);
        at += got;
    }
    return lines + (last != '\n' ? 1 : 0);
}

Outcome readDataFile(const std::string& path, std::string& data)
{
    InputFile file(path);
    std::string bytes;
    std::array<char, 16 * 1024> buffer{};
    while (bytes.size() <= kMaxDataBytes) {
        const std::size_t got = file.read(buffer);
        if (got == 0) {
            break;
        }
        bytes.append(buffer.data(), std::min(got, kMaxDataBytes + 1 - bytes.size()));
    }
    if (!file.status().ok()) {
        return file.status();
    }
    data = std::move(bytes);
    return ResultCode::Ok;
}

void dropFinalLineEnd(std::string& data)
{
    if (data.ends_with('\n')) {
        data.pop_back();
        if (data.ends_with('\r')) {
            data.pop_back();
        }
    }
}

}  // namespace korvel
