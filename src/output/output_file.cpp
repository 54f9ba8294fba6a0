// Writing an output file so that it is either complete or gone.

#include "output/output_file.hpp"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "korvel/output.hpp"

namespace korvel {
namespace {

// Bytes held before they are written, for a file made of many small pieces.
constexpr std::size_t kHeldBytes = 64 * 1024;

bool writeAll(int descriptor, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(descriptor, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace

void removeWrittenFile(const WrittenFile& file) noexcept
{
    if (file.regular) {
        removeIfSame(file.resolvedPath.c_str(), file.identity);
    }
}

OutputFile::~OutputFile()
{
    if (isOpen()) {
        remove();
    }
}

// The file is opened without emptying it: an existing file is overwritten
// in place and cut to the new length at the end. Emptying a file that has
// data and writing it again makes ext4 start writing the file to disk at
// close, which costs more than making a whole small symbol; the finished
// file is the same.
Outcome OutputFile::open(const std::string& path)
{
    descriptor_ = inFlight_.open(path.c_str());
    held_.clear();
    length_ = 0;
    failed_ = false;
    return descriptor_ >= 0 ? Outcome() : Outcome(ResultCode::CantOpenOutputFile);
}

bool OutputFile::append(std::span<const std::uint8_t> bytes)
{
    if (failed_ || !isOpen()) {
        return false;
    }
    if (held_.size() + bytes.size() <= kHeldBytes) {
        held_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return true;
    }
    if (!flush() || !writeAll(descriptor_, bytes)) {
        failed_ = true;
        return false;
    }
    length_ += bytes.size();
    return true;
}

bool OutputFile::flush()
{
    const std::span<const std::uint8_t> held(reinterpret_cast<const std::uint8_t*>(held_.data()), held_.size());
    if (!writeAll(descriptor_, held)) {
        failed_ = true;
        return false;
    }
    length_ += held_.size();
    held_.clear();
    return true;
}

Outcome OutputFile::finish()
{
    if (!isOpen()) {
        return ResultCode::CantCloseOutputFile;
    }
    bool written = !failed_ && flush();
    if (written && regular()) {
        // Drops whatever an earlier, longer file left after the new content.
        written = ftruncate(descriptor_, static_cast<off_t>(length_)) == 0;
    }
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (::close(descriptor) != 0) {
        written = false;
    }
    if (!written) {
        inFlight_.remove();
        return ResultCode::CantCloseOutputFile;
    }
    finished_ = {regular(), inFlight_.resolvedPath(), identity()};
    inFlight_.release();
    return ResultCode::Ok;
}

void OutputFile::closeDescriptor() noexcept
{
    if (isOpen()) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
}

void OutputFile::remove() noexcept
{
    closeDescriptor();
    inFlight_.remove();
}

void OutputFile::leaveUntouched() noexcept
{
    closeDescriptor();
    held_.clear();
    inFlight_.release();
}

Outcome writeWholeFile(const std::string& path, std::span<const std::uint8_t> bytes, WrittenFile* written,
                       const FileIdentity* notThisFile)
{
    OutputFile file;
    if (Outcome opened = file.open(path); !opened.ok()) {
        return opened;
    }
    if (notThisFile != nullptr && file.regular() && file.identity() == *notThisFile) {
        file.leaveUntouched();
        return {ResultCode::InvalidArgument, "the output file is the report file"};
    }
    if (!file.append(bytes)) {
        file.remove();
        return ResultCode::CantCloseOutputFile;
    }
    Outcome finished = file.finish();
    if (finished.ok() && written != nullptr) {
        *written = file.written();
    }
    return finished;
}

// The library's file writer: the output is made in memory first, so that
// no file is created or touched before its bytes exist.
Outcome writeFile(const std::string& path, const std::function<Outcome(const ByteSink&)>& produce)
{
    std::vector<std::uint8_t> bytes;
    Outcome produced;
    try {
        produced = produce(bufferSink(bytes));
    } catch (...) {
        produced = ResultCode::UnknownException;
    }
    if (!produced.ok()) {
        return produced.code == ResultCode::Fail ? Outcome(ResultCode::CantCloseOutputFile) : produced;
    }
    return writeWholeFile(path, bytes);
}

}  // namespace korvel
