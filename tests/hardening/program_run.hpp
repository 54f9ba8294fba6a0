#pragma once
// Running the built korvel program in the hardening tests: the shared process
// runner with its limits, and what those tests check on its output.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/process_runner.hpp"

namespace korvel::testing {

// Runs korvel in the current directory with `limits`.
inline ProcessResult runKorvel(const std::vector<std::string>& arguments, const RunLimits& limits = {})
{
    return runProcess(KORVEL_BINARY, arguments, std::filesystem::current_path(), limits);
}

// The two lines every failed run prints, for a message of the result table.
inline std::string failureText(const std::string& message) { return "korvel Version 1.3\n" + message + "\n"; }

inline std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A complete PNG stream: the signature first and the IEND chunk last.
inline bool isCompletePng(const std::string& bytes)
{
    static const std::string kSignature("\x89PNG\r\n\x1a\n", 8);
    static const std::string kEnd("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    return bytes.size() >= kSignature.size() + kEnd.size() && bytes.compare(0, 8, kSignature) == 0 &&
           bytes.compare(bytes.size() - kEnd.size(), kEnd.size(), kEnd) == 0;
}

}  // namespace korvel::testing
