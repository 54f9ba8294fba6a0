// Fuzz target over the command line: the input is an argument vector, its
// arguments separated by NUL bytes (the program name is added in front).
//
// The vector is first scanned here with the program's own option tables, every
// option value is converted, and the results are checked. Then the whole
// program runs on the same vector, with the output file name replaced by
// /dev/null so that nothing is written anywhere, unless the image it would
// draw is large: those runs are left out to keep each input fast. Runs that
// would read their data from files (--input, --batch) are left out too.

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "option_scanner.hpp"
#include "option_values.hpp"
#include "program_options.hpp"
#include "program_driver.hpp"
#include "program_settings.hpp"
#include "fuzz_targets.hpp"

namespace korvel::fuzz {
namespace {

constexpr std::size_t kMaxArguments = 48;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 20;
constexpr std::int64_t kMaxSide = 1024;
// Symbol sizes in modules: no format is larger than 144 in either direction,
// and every format has at least 10 modules in one of them.
constexpr std::int64_t kLargestSymbol = 144;
constexpr std::int64_t kSmallestSymbol = 10;

// The option letters the scanner may return for the program's options.
constexpr std::string_view kLetters = "hxyndfmobrqzvsptie";

std::FILE* quietStream()
{
    static std::FILE* const stream = std::fopen("/dev/null", "w");
    return stream;
}

// strtol saturates at 64 bits; clamping that to 32 bits is the saturating atoi.
std::int32_t referenceInteger(const char* text)
{
    const long value = std::strtol(text, nullptr, 10);
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(value);
}

// The last six hexadecimal digits of the leading run, read as RRGGBB.
Color referenceColor(const char* text)
{
    std::size_t length = 0;
    while (std::strchr("0123456789abcdefABCDEF", text[length]) != nullptr && text[length] != '\0') {
        ++length;
    }
    const std::size_t first = length > 6 ? length - 6 : 0;
    const std::string digits(text + first, length - first);
    const unsigned long rgb = digits.empty() ? 0 : std::strtoul(digits.c_str(), nullptr, 16);
    return Color::fromRgb(static_cast<std::uint32_t>(rgb));
}

bool pointsInto(const char* value, const std::vector<std::string>& arguments)
{
    for (const std::string& a : arguments) {
        if (value >= a.c_str() && value <= a.c_str() + a.size()) {
            return true;
        }
    }
    return false;
}

// True when the program is sure to refuse the size or to draw a small image.
bool imageIsSmall(const Settings& s)
{
    if (s.imageSizeGiven) {
        return std::int64_t{s.imageSize.width} * s.imageSize.height <= kMaxPixels;
    }
    const std::int32_t quietZoneSize = s.render.quietZoneSize;
    if (quietZoneSize < 0) {
        return true;  // refused as an invalid argument before any sizing
    }
    const double pixels = std::floor(s.render.moduleSize + 0.5);
    if (!std::isfinite(pixels) || pixels >= 4294967296.0 || pixels < 1.0) {
        return true;  // refused by the sizing
    }
    const std::int64_t quietZones = s.render.quietZone ? 2 * std::int64_t{quietZoneSize} : 0;
    if (kSmallestSymbol + quietZones > 65535) {
        return true;  // refused by the sizing, whatever the symbol
    }
    return static_cast<double>(kLargestSymbol + quietZones) * pixels <= static_cast<double>(kMaxSide);
}

// Whether the long-only option with this code takes no value.
bool isFlag(int code)
{
    for (const LongOption& option : kLongOptions) {
        if (option.code == code) {
            return !option.takesValue;
        }
    }
    return false;
}

bool isRunStatus(int status)
{
    // 3 (allocation), 12 and 13 (the file) cannot happen for small images
    // written to /dev/null; 6, 7 and 9 not with the values the program accepts.
    return status == 0 || status == 1 || status == 4 || status == 5 || status == 8 || status == 10 ||
           status == 15;
}

}  // namespace

const char* fuzzCommandLine(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments{"korvel"};
    const char* bytes = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    while (start < size) {
        const void* nul = arguments.size() + 1 < kMaxArguments ? std::memchr(bytes + start, 0, size - start) : nullptr;
        const std::size_t end = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : size;
        // The last argument ends at its first NUL, as any C string would.
        arguments.emplace_back(std::string(bytes + start, end - start).c_str());
        start = end + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& a : arguments) {
        argv.push_back(a.c_str());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(arguments.size());

    OptionScanner scanner(kShortOptions, kLongOptions, quietStream());
    Settings sizes;  // as the program accepts them: they decide the image size
    int expected = -1;  // the status the scan alone decides, or -1
    std::size_t calls = 0;
    std::size_t totalLength = 0;
    for (const std::string& a : arguments) {
        totalLength += a.size() + 1;
    }
    for (int letter = scanner.nextOption(argc, argv.data()); letter != OptionScanner::kEnd;
         letter = scanner.nextOption(argc, argv.data())) {
        if (++calls > totalLength) {
            return "the option scanner does not come to an end";
        }
        if (scanner.argIndex() < 1 || scanner.argIndex() > argc) {
            return "the option scanner's index left the argument vector";
        }
        if (letter == 'h' || letter == kVersionOption) {
            expected = 0;
            break;
        }
        if (letter == OptionScanner::kError) {
            expected = 1;
            break;
        }
        if (letter == kBatchOption || letter == kInputOption) {
            return nullptr;  // reads files or standard input, and a batch writes many files
        }
        if (letter == kJobsOption) {
            continue;  // a batch setting only
        }
        const bool extended = letter >= kShapeOption && letter <= kHriOption;
        if (!extended &&
            (letter < 0 || letter > 127 || kLetters.find(static_cast<char>(letter)) == std::string_view::npos)) {
            return "the option scanner returned something that is not an option letter";
        }
        if (extended && isFlag(letter)) {
            static_cast<void>(applyOption(letter, nullptr, sizes));  // flags: no value
            continue;
        }
        const char* value = scanner.optionValue();
        if (value == nullptr || !pointsInto(value, arguments)) {
            return "an option value does not lie inside an argument";
        }
        if (parseInteger(value) != referenceInteger(value)) {
            return "parseInteger differs from a saturating strtol";
        }
        if (parseColor(value) != referenceColor(value)) {
            return "parseColor does not read the last six hexadecimal digits";
        }
        const double decimal = parseDecimal(value);
        if (!std::isnan(decimal) && decimal != std::strtod(value, nullptr)) {
            return "parseDecimal differs from strtod";
        }
        if (!applyOption(letter, value, sizes)) {
            expected = 1;  // an invalid value of an extended option
            break;
        }
    }
    if (expected < 0) {
        const int index = scanner.argIndex();
        if (index > argc) {
            return "the scan ended beyond the argument vector";
        }
        if (index < argc) {
            const std::string_view name = argv[static_cast<std::size_t>(index)];
            const bool afterDashes = index > 1 && std::string_view(argv[static_cast<std::size_t>(index) - 1]) == "--";
            if (!afterDashes && name.size() > 1 && name[0] == '-') {
                return "the scan ended at an argument that is an option";
            }
            if (!imageIsSmall(sizes)) {
                return nullptr;
            }
            argv[static_cast<std::size_t>(index)] = "/dev/null";
        } else {
            expected = 11;
        }
    }

    std::fflush(stdout);
    std::fflush(stderr);
    const int status = runProgram(argc, argv.data());
    std::fflush(stdout);
    std::fflush(stderr);
    if (expected >= 0 && status != expected) {
        return "the exit status differs from what the scan decides (0 for -h, 1, 11)";
    }
    if (expected < 0 && !isRunStatus(status)) {
        return "the exit status is not one a run writing to /dev/null can give";
    }
    return nullptr;
}

}  // namespace korvel::fuzz
