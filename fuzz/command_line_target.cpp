// Fuzz target over the command line: the input is an argument vector, its
// arguments separated by NUL bytes (the program name is added in front). An
// argument "<<<" ends the vector: the bytes after it are the content of the
// files the run reads (every --input and --batch file, and standard input).
//
// The vector is first scanned here with the program's own option table,
// every option value is converted and the results are checked. Then the
// whole program runs on the same vector inside a scratch directory: every
// file name (the output file or batch pattern, --input, --batch, --report)
// is moved into it, standard input reads the file content and standard
// output goes into a file; --verify talks to the real korvel-verify. After
// the run the scratch directory and standard output are checked (an option
// refusal leaves nothing, a failed single run leaves no image, every image
// and report line left is complete, the files read are unchanged, --stdout
// writes a whole image or nothing) and emptied. Runs whose images
// would be large are left out to keep each input fast, and a batch reads at
// most a few lines.

#include <dirent.h>
#include <fcntl.h>
#include <stdio_ext.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "option_scanner.hpp"
#include "options/option_value.hpp"
#include "output_plan.hpp"
#include "program_driver.hpp"
#include "program_options.hpp"
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
// A batch reads at most this many lines of the file content.
constexpr std::size_t kMaxBatchLines = 6;
// File names are cut to this length inside the scratch directory.
constexpr std::size_t kMaxNameLength = 40;
constexpr std::string_view kFileMarker = "<<<";

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

// The argument `value` points into, or -1.
int argumentHolding(const char* value, const std::vector<std::string>& arguments)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (value >= a.c_str() && value <= a.c_str() + a.size()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// True when the program is sure to refuse the size or to draw a small image.
bool imageIsSmall(const Settings& s, const RenderOptions& render)
{
    if (s.imageSizeGiven) {
        return std::int64_t{s.imageSize.width} * s.imageSize.height <= kMaxPixels;
    }
    const std::int32_t quietZoneSize = render.quietZoneSize;
    if (quietZoneSize < 0) {
        return true;  // refused as an invalid argument before any sizing
    }
    const double pixels = std::floor(render.moduleSize + 0.5);
    if (!std::isfinite(pixels) || pixels >= 4294967296.0 || pixels < 1.0) {
        return true;  // refused by the sizing
    }
    const std::int64_t quietZones = render.quietZone ? 2 * std::int64_t{quietZoneSize} : 0;
    if (kSmallestSymbol + quietZones > 65535) {
        return true;  // refused by the sizing, whatever the symbol
    }
    return static_cast<double>(kLargestSymbol + quietZones) * pixels <= static_cast<double>(kMaxSide);
}

// Statuses a run that got past its options may end with: 3 (allocation)
// cannot happen for small images, 6, 7 and 9 not with the values the program
// accepts, 11 is decided at option time, 14 never, 17 not with the helper in
// reach; 12 and 13 only for an empty file name or where a name of the run
// is taken by another file of the same run; 16 only with --verify, 18 only
// when a file is read.
bool isRunStatus(int status, const Settings& s, bool namesCollide)
{
    switch (status) {
    case 0:
    case 1:
    case 4:
    case 5:
    case 8:
    case 10:
    case 15: return true;
    case 12:
    case 13: return namesCollide;
    case 16: return s.verify;
    case 18: return s.source.inputPath.has_value() || s.source.batchPath.has_value();
    default: return false;
    }
}

// The fuzz input cut into its arguments and the content of the files read.
struct FuzzInput {
    std::vector<std::string> arguments{"korvel"};
    std::optional<std::string> fileContent;
};

FuzzInput splitInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input;
    const char* bytes = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    while (start < size) {
        const void* nul =
            input.arguments.size() + 1 < kMaxArguments ? std::memchr(bytes + start, 0, size - start) : nullptr;
        const std::size_t end = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : size;
        // The last argument ends at its first NUL, as any C string would.
        std::string argument = std::string(bytes + start, end - start).c_str();
        if (argument == kFileMarker && nul != nullptr) {
            input.fileContent = std::string(bytes + end + 1, size - end - 1);
            break;
        }
        input.arguments.push_back(std::move(argument));
        start = end + 1;
    }
    return input;
}

// The first `lines` lines of `text`.
std::string firstLines(const std::string& text, std::size_t lines)
{
    std::size_t end = 0;
    for (std::size_t n = 0; n < lines && end < text.size(); ++n) {
        const std::size_t newline = text.find('\n', end);
        end = newline == std::string::npos ? text.size() : newline + 1;
    }
    return text.substr(0, end);
}

std::optional<std::string> readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool writeFile(const std::string& path, const std::string& content)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
    return static_cast<bool>(file.flush());
}

// The per-process scratch directory: the run's files live in run/, and the
// bytes standard input reads in stdin next to it.
class Scratch {
public:
    static Scratch& instance()
    {
        static Scratch scratch;
        return scratch;
    }

    [[nodiscard]] bool ready() const noexcept { return !root_.empty(); }

    // A name of the command line as a file of the run directory: slashes
    // become underscores, so every file the run makes lies directly in it.
    [[nodiscard]] std::string place(std::string_view name) const
    {
        std::string file(name.substr(0, kMaxNameLength));
        std::replace(file.begin(), file.end(), '/', '_');
        if (file == "." || file == "..") {
            file += '_';
        }
        return runDirectory() + "/" + file;
    }

    [[nodiscard]] std::string runDirectory() const { return root_ + "/run"; }
    [[nodiscard]] std::string standardInput() const { return root_ + "/stdin"; }
    [[nodiscard]] std::string standardOutput() const { return root_ + "/stdout"; }

    // The full paths of the files in the run directory.
    [[nodiscard]] std::vector<std::string> files() const
    {
        std::vector<std::string> found;
        if (DIR* directory = opendir(runDirectory().c_str())) {
            while (const dirent* entry = readdir(directory)) {
                const std::string_view name = entry->d_name;
                if (name != "." && name != "..") {
                    found.push_back(runDirectory() + "/" + std::string(name));
                }
            }
            closedir(directory);
        }
        return found;
    }

    void empty() const
    {
        for (const std::string& file : files()) {
            unlink(file.c_str());
        }
    }

    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

private:
    Scratch()
    {
        std::string pattern = "/tmp/korvel-fuzz-cli-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        root_ = pattern;
        if (mkdir(runDirectory().c_str(), 0700) != 0) {
            rmdir(root_.c_str());
            root_.clear();
        }
    }
    ~Scratch()
    {
        if (ready()) {
            empty();
            rmdir(runDirectory().c_str());
            unlink(standardInput().c_str());
            unlink(standardOutput().c_str());
            rmdir(root_.c_str());
        }
    }

    std::string root_;
};

// For the length of a run: standard input reads `inputPath`, standard output
// goes to `outputPath`, and PATH leads to the verifier helper.
class RunEnvironment {
public:
    RunEnvironment(const std::string& inputPath, const std::string& outputPath)
    {
        std::fflush(stdout);
        std::fflush(stderr);
        savedInput_ = dup(STDIN_FILENO);
        savedOutput_ = dup(STDOUT_FILENO);
        replace(STDIN_FILENO, inputPath.c_str(), O_RDONLY);
        replace(STDOUT_FILENO, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
        __fpurge(stdin);
        std::clearerr(stdin);
#ifdef KORVEL_VERIFY_BINARY
        if (const char* path = std::getenv("PATH")) {
            savedPath_ = path;
        }
        std::string helper = KORVEL_VERIFY_BINARY;
        setenv("PATH", helper.substr(0, helper.rfind('/')).c_str(), 1);
#endif
    }
    ~RunEnvironment()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        __fpurge(stdin);
        std::clearerr(stdin);
        std::clearerr(stdout);
        dup2(savedInput_, STDIN_FILENO);
        dup2(savedOutput_, STDOUT_FILENO);
        close(savedInput_);
        close(savedOutput_);
#ifdef KORVEL_VERIFY_BINARY
        if (savedPath_) {
            setenv("PATH", savedPath_->c_str(), 1);
        } else {
            unsetenv("PATH");
        }
#endif
    }
    RunEnvironment(const RunEnvironment&) = delete;
    RunEnvironment& operator=(const RunEnvironment&) = delete;

private:
    static void replace(int descriptor, const char* path, int flags)
    {
        const int opened = open(path, flags | O_CLOEXEC, 0600);
        if (opened >= 0) {
            dup2(opened, descriptor);
            close(opened);
        }
    }

    int savedInput_ = -1;
    int savedOutput_ = -1;
    std::optional<std::string> savedPath_;
};

bool endsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The bytes of a whole image of `type`: a partial file fails.
bool isCompleteImage(const std::string& bytes, OutputType type)
{
    switch (type) {
    case OutputType::Png:
        return bytes.starts_with("\x89PNG\r\n\x1a\n") && endsWith(bytes, std::string_view("IEND\xae\x42\x60\x82", 8));
    case OutputType::Svg: return bytes.starts_with("<?xml") && endsWith(bytes, "</svg>\n");
    case OutputType::Eps: return bytes.starts_with("%!PS-Adobe") && endsWith(bytes, "%%EOF\n");
    case OutputType::Pdf: return bytes.starts_with("%PDF-") && endsWith(bytes, "%%EOF\n");
    case OutputType::Text: return endsWith(bytes, "\n");
    }
    return false;
}

// Every line of a report is one whole JSON object.
bool isCompleteReport(const std::string& text)
{
    if (text.empty() || text.back() != '\n') {
        return false;
    }
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        if (end - start < 2 || text[start] != '{' || text[end - 1] != '}') {
            return false;
        }
        start = end + 1;
    }
    return true;
}

// What the oracle knows of the run before it starts.
struct PlannedRun {
    Settings settings;
    OutputPlan plan;
    std::string outputPath;                          // in the scratch directory; empty without a file name
    bool emptyOutputName = false;                    // the file name is the empty text
    std::optional<std::string> reportFile;           // a report written to a file
    std::map<std::string, std::string> inputFiles;   // path -> content, made before the run
    std::optional<ResultCode> refusedAtOptionTime;   // a refused combination of options
};

// The files left by the run, checked against what it returned.
const char* checkFiles(const PlannedRun& run, int status)
{
    const Scratch& scratch = Scratch::instance();
    const bool batch = run.settings.source.batchPath.has_value();
    bool imageFound = false;
    for (const std::string& file : scratch.files()) {
        const std::optional<std::string> bytes = readFile(file);
        if (!bytes) {
            return "a file of the run cannot be read back";
        }
        if (run.refusedAtOptionTime && !run.inputFiles.contains(file)) {
            return "a run refused at option time left a file";
        }
        if (const auto input = run.inputFiles.find(file); input != run.inputFiles.end()) {
            const bool overwritten = file == run.outputPath || (batch && *bytes != input->second);
            if (*bytes != input->second && !(overwritten && isCompleteImage(*bytes, run.plan.type))) {
                return "the run changed a file it reads";
            }
            imageFound = imageFound || file == run.outputPath;
            continue;
        }
        if (run.reportFile && file == *run.reportFile) {
            if (!bytes->empty() && !isCompleteReport(*bytes)) {
                return "the report file holds a partial line";
            }
            if (status == 0 && bytes->empty()) {
                return "a successful run left an empty report";
            }
            continue;
        }
        if (!batch && status != 0) {
            return "a failed run left an image behind";
        }
        if (!isCompleteImage(*bytes, run.plan.type)) {
            return "the run left a partial or empty image";
        }
        imageFound = true;
    }
    if (status == 0 && !batch && !run.outputPath.empty() && !imageFound) {
        return "a successful run left no image";
    }
    if (status == 0 && run.reportFile && !readFile(*run.reportFile)) {
        return "a successful run with --report left no report";
    }
    return nullptr;
}

// What the run wrote on standard output: the whole image or nothing for
// --stdout, whole report lines for --report=-, nothing for a refused run.
const char* checkStandardOutput(const PlannedRun& run, bool endedWithOptions, int status, const std::string& output)
{
    if (endedWithOptions) {
        return status != 0 && !output.empty() ? "an option error wrote on standard output" : nullptr;
    }
    if (run.refusedAtOptionTime && !output.empty()) {
        return "a refused combination of options wrote on standard output";
    }
    const Settings& s = run.settings;
    if (s.print.toStandardOutput && status == 0 && !isCompleteImage(output, run.plan.type)) {
        return "--stdout wrote no whole image";
    }
    if (s.print.toStandardOutput && status != 0 && !output.empty()) {
        return "a failed --stdout run wrote on standard output";
    }
    if (s.reportPath == kStandardOutputName && !s.printHumanReadable && !output.empty() && !isCompleteReport(output)) {
        return "--report=- wrote a partial line";
    }
    return nullptr;
}

// Moves every file name of the vector into the scratch directory: the value
// of each file option (its text from the value's start on) and the first
// operand. "-" (standard input or output) and empty names stay as they are.
void placeFileNames(std::vector<std::string>& arguments, const std::map<int, std::size_t>& valueStarts, int operand)
{
    const Scratch& scratch = Scratch::instance();
    for (const auto& [index, start] : valueStarts) {
        std::string& argument = arguments[static_cast<std::size_t>(index)];
        const std::string value = argument.substr(start);
        if (value != "-" && !value.empty()) {
            argument = argument.substr(0, start) + scratch.place(value);
        }
    }
    if (operand > 0 && operand < static_cast<int>(arguments.size()) &&
        !arguments[static_cast<std::size_t>(operand)].empty()) {
        std::string& name = arguments[static_cast<std::size_t>(operand)];
        name = scratch.place(name);
    }
}

// The oracle's view of the run: its settings (file names already placed in
// the scratch directory), plan and files.
PlannedRun planRun(const Settings& settings, const std::vector<std::string>& placed, int operand,
                   const std::optional<std::string>& content)
{
    PlannedRun run;
    run.settings = settings;
    const char* path = operand < static_cast<int>(placed.size()) ? placed[static_cast<std::size_t>(operand)].c_str()
                                                                  : nullptr;
    run.outputPath = path != nullptr ? path : "";
    run.emptyOutputName = path != nullptr && run.outputPath.empty();
    run.plan = planOutput(settings, path, false);
    if (settings.reportPath && *settings.reportPath != kStandardOutputName) {
        run.reportFile = *settings.reportPath;
    }
    if (content) {
        const std::string read = settings.source.batchPath ? firstLines(*content, kMaxBatchLines) : *content;
        for (const auto& name : {settings.source.inputPath, settings.source.batchPath}) {
            if (name && *name != "-") {
                run.inputFiles[*name] = read;
            }
        }
    }
    const RunFacts facts = runFacts(settings, path, run.plan.type, false);
    if (Outcome combined = checkCombinations(facts); !combined.ok()) {
        run.refusedAtOptionTime = combined.code;
    }
    return run;
}

// Two names of the run that lead to the same file.
bool namesCollide(const PlannedRun& run)
{
    std::set<std::string> names;
    std::size_t count = 0;
    for (const auto& [file, content] : run.inputFiles) {
        names.insert(file);
        ++count;
    }
    if (run.reportFile) {
        names.insert(*run.reportFile);
        ++count;
    }
    if (!run.outputPath.empty()) {
        names.insert(run.outputPath);
        ++count;
    }
    return names.size() < count || run.emptyOutputName || run.settings.source.batchPath.has_value();
}

}  // namespace

const char* fuzzCommandLine(const std::uint8_t* data, std::size_t size)
{
    Scratch& scratch = Scratch::instance();
    if (!scratch.ready()) {
        return "no scratch directory under /tmp";
    }
    FuzzInput input = splitInput(data, size);
    std::vector<std::string>& arguments = input.arguments;
    std::vector<const char*> argv;
    for (const std::string& a : arguments) {
        argv.push_back(a.c_str());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(arguments.size());

    OptionScanner scanner(kShortOptions, kLongOptions, quietStream());
    Settings settings;  // as the program accepts them
    std::map<int, std::size_t> fileValueStarts;  // argument -> where a file option's value starts in it
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
        if (letter == OptionScanner::kError) {
            expected = 1;
            break;
        }
        const OptionDefinition* option = optionForCode(letter);
        if (option == nullptr ||
            (!option->fullNameOnly() && kLetters.find(option->letter) == std::string_view::npos)) {
            return "the option scanner returned something that is not an option";
        }
        if (option->id == OptionId::Help || option->id == OptionId::Version) {
            expected = 0;
            break;
        }
        std::string_view text;
        if (option->takesValue()) {
            const char* value = scanner.optionValue();
            const int holder = value != nullptr ? argumentHolding(value, arguments) : -1;
            if (holder < 0) {
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
            if (option->kind == ValueKind::Path) {
                fileValueStarts[holder] =
                    static_cast<std::size_t>(value - arguments[static_cast<std::size_t>(holder)].c_str());
            }
            text = value;
        }
        std::optional<OptionValue> read;
        if (!readOptionValue(*option, text, ValueReading::CommandLine, read).ok()) {
            expected = 1;  // an invalid value of an extended option
            break;
        }
        if (read) {
            applyOption(*option, *read, settings);
        }
    }
    const int operand = scanner.argIndex();
    if (expected < 0) {
        if (operand > argc) {
            return "the scan ended beyond the argument vector";
        }
        if (operand < argc) {
            const std::string_view name = argv[static_cast<std::size_t>(operand)];
            const bool afterDashes =
                operand > 1 && std::string_view(argv[static_cast<std::size_t>(operand) - 1]) == "--";
            if (!afterDashes && name.size() > 1 && name[0] == '-') {
                return "the scan ended at an argument that is an option";
            }
        }
    }

    // The run on the same vector, its file names moved into the scratch directory.
    // (A scan that ended early, at -h or an error, has no operand.)
    placeFileNames(arguments, fileValueStarts, expected < 0 ? operand : 0);
    std::vector<const char*> placedArgv;
    for (const std::string& a : arguments) {
        placedArgv.push_back(a.c_str());
    }
    placedArgv.push_back(nullptr);
    // The settings again, with the file names the run sees.
    Settings placedSettings;
    if (expected < 0) {
        OptionScanner rescanner(kShortOptions, kLongOptions, quietStream());
        for (int code = rescanner.nextOption(argc, placedArgv.data()); code != OptionScanner::kEnd;
             code = rescanner.nextOption(argc, placedArgv.data())) {
            const OptionDefinition* option = optionForCode(code);
            std::optional<OptionValue> read;
            const std::string_view text = option->takesValue() ? rescanner.optionValue() : "";
            if (readOptionValue(*option, text, ValueReading::CommandLine, read).ok() && read) {
                applyOption(*option, *read, placedSettings);
            }
        }
    }
    const PlannedRun run = planRun(placedSettings, arguments, operand, input.fileContent);
    if (expected < 0 && !imageIsSmall(placedSettings, run.plan.render)) {
        return nullptr;
    }
    for (const auto& [file, content] : run.inputFiles) {
        if (!writeFile(file, content)) {
            return "the scratch directory does not take a file";
        }
    }
    const std::string standardInput = input.fileContent.value_or("");
    if (!writeFile(scratch.standardInput(),
                   placedSettings.source.batchPath ? firstLines(standardInput, kMaxBatchLines) : standardInput)) {
        return "the scratch directory does not take a file";
    }

    int status = -1;
    {
        const RunEnvironment environment(scratch.standardInput(), scratch.standardOutput());
        status = runProgram(argc, placedArgv.data());
    }
    const char* failure = nullptr;
    if (expected >= 0 && status != expected) {
        failure = "the exit status differs from what the scan decides (0 for -h and --version, 1)";
    } else if (expected < 0 && run.refusedAtOptionTime && status != static_cast<int>(*run.refusedAtOptionTime)) {
        failure = "the exit status differs from the refused combination's";
    } else if (expected < 0 && !run.refusedAtOptionTime && !isRunStatus(status, placedSettings, namesCollide(run))) {
        failure = "the exit status is not one this run can give";
    } else if (expected < 0 && !run.refusedAtOptionTime && run.emptyOutputName &&
               (status == 0 || (placedSettings.source.batchPath && status != 1 && status != 12))) {
        failure = "a run with an empty file name did not fail to open it";
    }
    if (failure == nullptr && expected < 0) {
        failure = checkFiles(run, status);
    }
    if (failure == nullptr) {
        failure = checkStandardOutput(run, expected >= 0, status, readFile(scratch.standardOutput()).value_or(""));
    } else if (failure == nullptr && !scratch.files().empty()) {
        failure = "a run that ended with its options left a file";
    }
    scratch.empty();
    return failure;
}

}  // namespace korvel::fuzz
