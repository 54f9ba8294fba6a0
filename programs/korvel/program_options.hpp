#pragma once
// The options the korvel command understands: the single-letter forms (a
// letter followed by ':' takes a value) and the long names, in the order in
// which a prefix of a long name is matched. Options added after the first
// eighteen have no one-letter form and are matched by their full names only.

#include <array>

#include "option_scanner.hpp"

namespace korvel {

inline constexpr const char* kShortOptions = "hx:y:n:d:f:m:o:b:r:q:z:v:s:p:t:i:e:";

// Codes of the options that have only a long name.
enum LongOnlyOption : int {
    kVersionOption = kFirstLongOnlyCode,
    kTypeOption,
    kModuleMmOption,
    kDpiOption,
    kPaletteOption,
    kTimeOption,
    kStdoutOption,
    kBatchOption,
    kInputOption,
    kJobsOption,
    kVerifyOption,
    kReportOption,
    kShapeOption,
    kDmreOption,
    kUtf8Option,
    kMinimalOption,
    kGs1Option,
    kGs1NoCheckOption,
    kGs1SeparatorOption,
    kHibcOption,
    kHriOption,
    kHriTextOption,
};

inline constexpr std::array<LongOption, 40> kLongOptions{{
    {"help", false, 'h'},
    {"xsize", true, 'x'},
    {"ysize", true, 'y'},
    {"xdim", true, 'n'},
    {"data", true, 'd'},
    {"fmt", true, 'f'},
    {"mode", true, 'm'},
    {"orient", true, 'o'},
    {"bcolor", true, 'b'},
    {"fcolor", true, 'r'},
    {"qzone", true, 'q'},
    {"alignh", true, 'z'},
    {"alignv", true, 'v'},
    {"sapp", true, 's'},
    {"spos", true, 'p'},
    {"stot", true, 't'},
    {"sid", true, 'i'},
    {"qsize", true, 'e'},
    {"gs1", false, kGs1Option, true},
    {"gs1-nocheck", false, kGs1NoCheckOption, true},
    {"gs1-separator", true, kGs1SeparatorOption, true},
    {"hibc", false, kHibcOption, true},
    {"hri", false, kHriOption, true},
    {"type", true, kTypeOption, true},
    {"module-mm", true, kModuleMmOption, true},
    {"dpi", true, kDpiOption, true},
    {"palette", false, kPaletteOption, true},
    {"time", true, kTimeOption, true},
    {"stdout", false, kStdoutOption, true},
    {"batch", true, kBatchOption, true},
    {"input", true, kInputOption, true},
    {"jobs", true, kJobsOption, true},
    {"verify", false, kVerifyOption, true},
    {"report", true, kReportOption, true},
    {"shape", true, kShapeOption, true},
    {"dmre", false, kDmreOption, true},
    {"utf8", false, kUtf8Option, true},
    {"minimal", false, kMinimalOption, true},
    {"version", false, kVersionOption, true},
    {"hri-text", false, kHriTextOption, true},
}};

}  // namespace korvel
