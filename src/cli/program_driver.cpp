#include "cli/program_driver.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "cli/option_scanner.hpp"
#include "cli/option_values.hpp"
#include "cli/program_options.hpp"
#include "cli/program_settings.hpp"
#include "cli/usage_text.hpp"
#include "image/png_stream.hpp"
#include "image/symbol_rows.hpp"
#include "korvel/data_matrix_barcode.hpp"

namespace korvel {
namespace {

constexpr std::int32_t kDefaultCompression = -2;

// The exit status of a failed step is its result code's number.
int toExitStatus(ResultCode code) { return static_cast<int>(code); }

// Applies every setting in a fixed order, stopping at the first refusal.
ResultCode applySettings(const Settings& s, DataMatrixBarcode& barcode)
{
    const std::array<ResultCode (*)(const Settings&, DataMatrixBarcode&), 14> setters{{
        [](const Settings& v, DataMatrixBarcode& b) { return b.setData(v.data); },
        [](const Settings& v, DataMatrixBarcode& b) { return b.setPreferredFormat(v.preferredFormat); },
        [](const Settings& v, DataMatrixBarcode& b) { return b.setEncodingMode(v.encodingMode); },
        [](const Settings& v, DataMatrixBarcode& b) { return b.setOrientation(v.orientation); },
        [](const Settings& v, DataMatrixBarcode& b) { return b.setBackgroundColor(v.backgroundColor); },
        [](const Settings& v, DataMatrixBarcode& b) { return b.setForegroundColor(v.foregroundColor); },
        [](const Settings& v, DataMatrixBarcode& b) { return b.setQuietZone(v.quietZone); },
        [](const Settings& v, DataMatrixBarcode& b) { return b.setHorizontalAlignment(v.horizontalAlignment); },
        [](const Settings& v, DataMatrixBarcode& b) { return b.setVerticalAlignment(v.verticalAlignment); },
        [](const Settings& v, DataMatrixBarcode& b) { return b.setStructuredAppend(v.structuredAppend); },
        [](const Settings& v, DataMatrixBarcode& b) {
            return b.setStructuredAppendPosition(v.structuredAppendPosition);
        },
        [](const Settings& v, DataMatrixBarcode& b) { return b.setStructuredAppendTotal(v.structuredAppendTotal); },
        [](const Settings& v, DataMatrixBarcode& b) { return b.setStructuredAppendId(v.structuredAppendId); },
        [](const Settings& v, DataMatrixBarcode& b) { return b.setQuietZoneSize(v.quietZoneSize); },
    }};
    for (const auto& setter : setters) {
        if (const ResultCode result = setter(s, barcode); result != ResultCode::Ok) {
            return result;
        }
    }
    return ResultCode::Ok;
}

int report(ResultCode code)
{
    std::fputs(kBannerLine, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    std::fputs(resultMessage(code), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    return toExitStatus(code);
}

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

// Writes the PNG to the named file. A write or close that fails leaves no
// partial regular file behind.
ResultCode writeFile(const RowStructure& image, const char* path)
{
    std::FILE* file = openOutput(path);
    if (file == nullptr) {
        return ResultCode::CantOpenOutputFile;
    }
    const OutputFileIdentity identity = identify(file);
    const bool written = writePngRows(image, kDefaultCompression, std::nullopt, file) == ResultCode::Ok &&
                         (!identity.regular || finishRegularFile(file));
    const bool closed = std::fclose(file) == 0;
    if (written && closed) {
        return ResultCode::Ok;
    }
    discardPartialFile(path, identity);
    return ResultCode::CantCloseOutputFile;
}

// Everything after the options: the barcode, the image and the file.
ResultCode produceSymbol(const Settings& settings, const char* outputPath)
{
    DataMatrixBarcode barcode;
    static_cast<void>(barcode.suspendUpdates(true));
    if (const ResultCode result = applySettings(settings, barcode); result != ResultCode::Ok) {
        return result;
    }
    if (const ResultCode result = barcode.suspendUpdates(false); result != ResultCode::Ok) {
        return result;
    }

    ImageSize size{settings.width, settings.height};
    if (!settings.sizeGiven) {
        if (const ResultCode result = barcode.getImageSize(settings.xDimension, size); result != ResultCode::Ok) {
            return result;
        }
    }
    // The image is written from the symbol's rows without a raster; the size
    // limit of a raster still holds.
    if (!RasterImage::sizeAccepted(size.width, size.height)) {
        return ResultCode::CantInitializePngCreator;
    }
    std::optional<RowStructure> image;
    if (const ResultCode result = describeSymbol(barcode, size, image); result != ResultCode::Ok) {
        return result;
    }
    return writeFile(*image, outputPath);
}

}  // namespace

int runProgram(int argc, const char* const* argv)
{
    try {
        Settings settings;
        OptionScanner scanner(kShortOptions, kLongOptions);
        for (int letter = scanner.nextOption(argc, argv); letter != OptionScanner::kEnd;
             letter = scanner.nextOption(argc, argv)) {
            if (letter == 'h') {
                // Help that never reached its reader is not a success.
                return printUsage(stdout) ? 0 : report(ResultCode::Fail);
            }
            if (letter == OptionScanner::kError) {
                static_cast<void>(printUsage(stderr));
                return 1;
            }
            applyOption(letter, scanner.optionValue(), settings);
        }
        if (scanner.argIndex() >= argc || argv[scanner.argIndex()] == nullptr) {
            return report(ResultCode::EmptyOutputFileName);
        }
        const ResultCode result = produceSymbol(settings, argv[scanner.argIndex()]);
        return result == ResultCode::Ok ? 0 : report(result);
    } catch (const std::bad_alloc&) {
        return report(ResultCode::UnknownException);
    }
}

}  // namespace korvel
