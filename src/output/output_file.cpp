// Writing an output file so that it is either complete or gone.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "korvel/output.hpp"

namespace korvel {
namespace {

// Identity of the file a stream writes to, when that is a regular file.
struct OutputFileIdentity {
    bool regular = false;
    dev_t device = 0;
    ino_t inode = 0;
};

OutputFileIdentity identify(std::FILE* file)
{
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    return {true, info.st_dev, info.st_ino};
}

// Removes the partly written file, also when the path is a symbolic link to
// it; if it cannot be removed it is at least emptied, so that nothing is left
// that looks like a finished image. Devices, pipes and the like are left alone.
void discardPartialFile(const char* path, const OutputFileIdentity& written)
{
    if (!written.regular) {
        return;
    }
    const std::unique_ptr<char, void (*)(void*)> resolved(realpath(path, nullptr), std::free);
    const char* target = resolved ? resolved.get() : path;
    struct stat info {};
    if (stat(target, &info) != 0 || info.st_dev != written.device || info.st_ino != written.inode) {
        return;
    }
    if (unlink(target) != 0) {
        static_cast<void>(truncate(target, 0));
    }
}

// Opens the output for writing without emptying it first. An existing file
// is overwritten in place and cut to the new length once the image is
// written (see finishRegularFile). Emptying a file that has data and
// writing it again makes ext4 start writing the file to disk at close, which
// costs more than making a whole small symbol; the finished file is the same.
std::FILE* openOutput(const char* path)
{
    const int descriptor = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return nullptr;
    }
    std::FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) {
        close(descriptor);
    }
    return file;
}

// Drops whatever an earlier, longer file left after the new image.
bool finishRegularFile(std::FILE* file)
{
    if (std::fflush(file) != 0) {
        return false;
    }
    const off_t length = ftello(file);
    return length >= 0 && ftruncate(fileno(file), length) == 0;
}

}  // namespace

Outcome writeFile(const std::string& path, const std::function<Outcome(const ByteSink&)>& produce)
{
    std::FILE* file = openOutput(path.c_str());
    if (file == nullptr) {
        return ResultCode::CantOpenOutputFile;
    }
    const OutputFileIdentity identity = identify(file);
    Outcome produced;
    try {
        produced = produce(fileSink(file));
    } catch (...) {
        produced = ResultCode::UnknownException;
    }
    const bool written = produced.ok() && (!identity.regular || finishRegularFile(file));
    const bool closed = std::fclose(file) == 0;
    if (written && closed) {
        return ResultCode::Ok;
    }
    discardPartialFile(path.c_str(), identity);
    if (!produced.ok() && produced.code != ResultCode::Fail) {
        return produced;
    }
    return ResultCode::CantCloseOutputFile;
}

}  // namespace korvel
