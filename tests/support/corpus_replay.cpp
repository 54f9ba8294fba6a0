#include "support/corpus_replay.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace korvel::testing {
namespace {

std::vector<std::filesystem::path> corpusFiles(const char* target)
{
    const std::filesystem::path dir = std::filesystem::path(KORVEL_SOURCE_DIR) / "fuzz" / "corpus" / target;
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(dir)) {
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Standard output and error go to /dev/null while it lives: the command-line
// target runs the whole program, which prints usage texts and messages.
class QuietOutput {
public:
    QuietOutput()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        savedOut_ = dup(STDOUT_FILENO);
        savedErr_ = dup(STDERR_FILENO);
        if (std::FILE* null = std::fopen("/dev/null", "w")) {
            dup2(fileno(null), STDOUT_FILENO);
            dup2(fileno(null), STDERR_FILENO);
            std::fclose(null);
        }
    }
    ~QuietOutput()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        dup2(savedOut_, STDOUT_FILENO);
        dup2(savedErr_, STDERR_FILENO);
        close(savedOut_);
        close(savedErr_);
    }
    QuietOutput(const QuietOutput&) = delete;
    QuietOutput& operator=(const QuietOutput&) = delete;

private:
    int savedOut_ = -1;
    int savedErr_ = -1;
};

struct FailedInput {
    std::string file;
    std::string failure;
};

}  // namespace

void replayCorpus(const char* target, CorpusTarget entry)
{
    const auto files = corpusFiles(target);
    ASSERT_GE(files.size(), 10U) << "the corpus of " << target << " is missing";
    std::vector<FailedInput> failures;
    {
        const QuietOutput quiet;
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            if (const char* failure = entry(bytes.data(), bytes.size())) {
                failures.push_back({file.filename().string(), failure});
            }
        }
    }
    for (const FailedInput& f : failures) {
        ADD_FAILURE() << target << "/" << f.file << ": " << f.failure;
    }
}

}  // namespace korvel::testing
