// Every example command of the documentation runs as the built program in a
// scratch directory: the README's Examples table (`./run.sh ARGS` runs the
// program with ARGS) and the EXAMPLES section of the manual page. zxing-cpp,
// and libdmtx where its output is comparable, must read the image back as
// the data the example gives; the README's pictures must be the images its
// examples make.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "support/expected_reading.hpp"
#include "support/png_file.hpp"
#include "support/process_runner.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

namespace fs = std::filesystem;

struct Example {
    std::string name;                // Readme1, Manual3, ...
    std::string command;             // as printed
    std::vector<std::string> args;   // the program's arguments
    std::optional<fs::path> picture;  // the README's image of it
};

void PrintTo(const Example& e, std::ostream* os) { *os << e.command; }

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The words of a shell command: blanks separate words, single quotes keep
// everything up to the next one, double quotes keep all but a backslash
// before " \ $ or `, and a backslash elsewhere keeps the character after it.
// Nothing for an unclosed quote.
std::optional<std::vector<std::string>> shellWords(std::string_view command)
{
    std::vector<std::string> words;
    std::optional<std::string> word;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (word) {
                words.push_back(*word);
                word.reset();
            }
            continue;
        }
        std::string& w = word ? *word : word.emplace();
        if (c == '\'' || c == '"') {
            const std::size_t close = command.find(c, i + 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            for (std::size_t k = i + 1; k < close; ++k) {
                const bool escaped = c == '"' && command[k] == '\\' && k + 1 < close &&
                                     std::string_view("\"\\$`").find(command[k + 1]) != std::string_view::npos;
                w += escaped ? command[++k] : command[k];
            }
            i = close;
        } else if (c == '\\' && i + 1 < command.size()) {
            w += command[++i];
        } else {
            w += c;
        }
    }
    if (word) {
        words.push_back(*word);
    }
    return words;
}

// The arguments of a command line after the program's name; none when the
// line cannot be read.
std::vector<std::string> argumentsOf(std::string_view command)
{
    const auto words = shellWords(command);
    return words && !words->empty() ? std::vector<std::string>(words->begin() + 1, words->end())
                                    : std::vector<std::string>{};
}

// The rows of the README's Examples table: | `./run.sh ARGS` ... | picture |
std::vector<Example> readmeExamples()
{
    std::vector<Example> examples;
    std::istringstream readme(readText(fs::path(KORVEL_SOURCE_DIR) / "README.md"));
    for (std::string line; std::getline(readme, line);) {
        const std::string start = "| `./run.sh ";
        if (line.rfind(start, 0) != 0) {
            continue;
        }
        Example example;
        example.name = "Readme" + std::to_string(examples.size() + 1);
        example.command = line.substr(3, line.find('`', 3) - 3);
        example.args = argumentsOf(example.command);
        const std::size_t image = line.find("](docs/images/");
        if (image != std::string::npos) {
            example.picture = fs::path(KORVEL_SOURCE_DIR) / line.substr(image + 2, line.find(')', image) - image - 2);
        }
        examples.push_back(example);
    }
    return examples;
}

// A line of the manual page as text: the escapes its examples use (\e is a
// backslash); nothing for any other escape.
std::optional<std::string> unroff(std::string_view line)
{
    static const std::map<std::string, std::string, std::less<>> kEscapes{
        {"\\-", "-"}, {"\\e", "\\"}, {"\\(aq", "'"}, {"\\(:u", "\xC3\xBC"}, {"\\(ss", "\xC3\x9F"}};
    std::string text;
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] != '\\') {
            text += line[i++];
            continue;
        }
        const auto escape = std::find_if(kEscapes.begin(), kEscapes.end(),
                                         [&](const auto& e) { return line.substr(i).starts_with(e.first); });
        if (escape == kEscapes.end()) {
            return std::nullopt;
        }
        text += escape->second;
        i += escape->first.size();
    }
    return text;
}

// The `korvel ...` lines of the manual page's EXAMPLES section, a line that
// ends in a backslash continued on the next.
std::vector<Example> manualExamples()
{
    std::vector<Example> examples;
    std::istringstream page(readText(fs::path(KORVEL_SOURCE_DIR) / "docs" / "korvel.1"));
    bool inExamples = false;
    std::string pending;
    bool understood = true;
    for (std::string line; std::getline(page, line);) {
        if (line.rfind(".SH", 0) == 0) {
            inExamples = line == ".SH EXAMPLES";
            continue;
        }
        if (!inExamples || (pending.empty() && line.rfind("korvel ", 0) != 0)) {
            continue;
        }
        const std::optional<std::string> text = unroff(line);
        understood = understood && text.has_value();
        pending += text.value_or(line);
        if (pending.back() == '\\') {
            pending.back() = ' ';  // the shell drops backslash and newline
            continue;
        }
        Example example;
        example.name = "Manual" + std::to_string(examples.size() + 1);
        example.command = pending;
        if (understood) {
            example.args = argumentsOf(pending);
        }
        examples.push_back(example);
        pending.clear();
        understood = true;
    }
    return examples;
}

std::vector<Example> allExamples()
{
    std::vector<Example> all = readmeExamples();
    const std::vector<Example> manual = manualExamples();
    all.insert(all.end(), manual.begin(), manual.end());
    return all;
}

// What the arguments ask for: the symbol's data and structured append, and
// the output file, the first argument that is neither an option nor its
// value. The program ignores everything after the file name, and so does this.
struct Request {
    testing::SymbolInput input{"1234567"};
    std::string file;
    std::string problem;  // an argument this reading does not know
};

Request requestOf(const std::vector<std::string>& args)
{
    static const std::map<std::string, char, std::less<>> kLongNames{
        {"xsize", 'x'}, {"ysize", 'y'}, {"xdim", 'n'},   {"data", 'd'},   {"fmt", 'f'},    {"mode", 'm'},
        {"orient", 'o'}, {"bcolor", 'b'}, {"fcolor", 'r'}, {"qzone", 'q'}, {"alignh", 'z'}, {"alignv", 'v'},
        {"sapp", 's'},  {"spos", 'p'},  {"stot", 't'},   {"sid", 'i'},    {"qsize", 'e'}};
    Request request;
    for (std::size_t k = 0; k < args.size() && request.file.empty(); ++k) {
        const std::string& arg = args[k];
        char letter = 0;
        std::optional<std::string> value;
        if (arg == "--") {
            request.file = k + 1 < args.size() ? args[k + 1] : "";
            break;
        }
        if (arg.rfind("--", 0) == 0) {
            const std::size_t equals = arg.find('=');
            const auto name = kLongNames.find(std::string_view(arg).substr(2, equals - 2));
            letter = name == kLongNames.end() ? 0 : name->second;
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            letter = arg[1];
            if (arg.size() > 2) {
                value = arg.substr(2);
            }
        } else {
            request.file = arg;
            break;
        }
        if (letter == 0 || std::string_view("xyndfmobrqzvsptie").find(letter) == std::string_view::npos) {
            request.problem = "unknown option " + arg;
            break;
        }
        if (!value) {
            value = k + 1 < args.size() ? args[++k] : "";
        }
        switch (letter) {
        case 'd': request.input.data = *value; break;
        case 's': request.input.structuredAppend = std::atoi(value->c_str()) != 0; break;
        case 'p': request.input.position = std::atoi(value->c_str()); break;
        case 't': request.input.total = std::atoi(value->c_str()); break;
        case 'i': request.input.fileId = std::atoi(value->c_str()); break;
        default: break;
        }
    }
    return request;
}

// The documentation has examples in both places, and each is understood.
TEST(DocumentedExamples, AreFoundAndUnderstood)
{
    EXPECT_GE(readmeExamples().size(), 4U);
    EXPECT_GE(manualExamples().size(), 6U);
    for (const Example& example : allExamples()) {
        EXPECT_FALSE(example.args.empty()) << example.command;
        const Request request = requestOf(example.args);
        EXPECT_EQ(request.problem, "") << example.command;
        EXPECT_NE(request.file, "") << example.command;
    }
}

class DocumentedExample : public ::testing::TestWithParam<Example> {};

TEST_P(DocumentedExample, WritesWhatItSaysAndReadsBack)
{
    const Example& example = GetParam();
    const Request request = requestOf(example.args);
    ASSERT_EQ(request.problem, "");
    const testing::ScratchDirectory dir;
    const testing::ProcessResult run = testing::runKorvel(example.args, dir);
    ASSERT_TRUE(run.exited) << "signal " << run.signal;
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");

    const auto png = testing::decodePng(testing::readFileBytes(dir.path() / request.file));
    ASSERT_TRUE(png.has_value()) << "no PNG at " << request.file;
    const auto image = testing::toRaster(*png);
    ASSERT_NE(image, nullptr);
    const testing::ExpectedReading expected = testing::expectReading(request.input, {});
    EXPECT_EQ(testing::zxingMismatch(testing::readWithZxing(*image), expected), "");
    if (expected.dmtxOutputComparable) {
        const testing::DmtxReading dmtx = testing::readWithDmtx(*image);
        EXPECT_TRUE(dmtx.found);
        EXPECT_EQ(testing::printable(dmtx.output), testing::printable(expected.dmtxOutput));
    }

    if (example.picture) {
        const auto picture = testing::decodePng(testing::readFileBytes(*example.picture));
        ASSERT_TRUE(picture.has_value()) << "no picture at " << *example.picture;
        EXPECT_TRUE(picture->width == png->width && picture->height == png->height && picture->pixels == png->pixels)
            << *example.picture << " is not the image of " << example.command;
    }
}

INSTANTIATE_TEST_SUITE_P(ReadmeAndManual, DocumentedExample, ::testing::ValuesIn(allExamples()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace korvel
