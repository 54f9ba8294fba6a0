#include "usage_text.hpp"

#include <array>

namespace korvel {
namespace {

struct OptionHelp {
    const char* shortForm;
    const char* longForm;
    const char* description;
    const char* example;  // nullptr: no example line
};

constexpr std::array<OptionHelp, 18> kOptionHelp{{
    {"-h", "--help", "Display this usage information.", nullptr},
    {"-x", "--xsize", "Barcode image width.", "-x 120"},
    {"-y", "--ysize", "Barcode image height.", "-y 120"},
    {"-n", "--xdim", "X-Dimension.", "-n 5"},
    {"-d", "--data", "Set the data that is to be encoded in the barcode.", "-d 1234567890Data"},
    {"-f", "--fmt", "Set the the preferred format. Possible Values: 0..30", "-f 11"},
    {"-m", "--mode", "Set the encoding mode. Possible Values: 0..6", "-m 4"},
    {"-o", "--orient", "Set the orientation. Possible Values: 0, 90, 180, 270", "-o 90"},
    {"-b", "--bcolor", "Set the background color. Possible Values: 0x000000..0xffffff",
     "-b ffff00, means yellow color in RGB"},
    {"-r", "--fcolor", "Set the foreground color. Possible Values: 0x000000..0xffffff",
     "-r 000000, means black color"},
    {"-q", "--qzone", "Show or not the quiet zones. Possible Values: 0 or 1", "-q 1"},
    {"-z", "--alignh", "Set a horizontal barcode alignment. Possible Values: 0..2", "-z 1"},
    {"-v", "--alignv", "Set a vertical  barcode alignment. Possible Values: 0..2", "-v 1"},
    {"-s", "--sapp", "Enable the structured append. Possible Values: 0 or 1", "-s 0"},
    {"-p", "--spos", "Position in the structured append. Possible Values: 1..16", "-p 1"},
    {"-t", "--stot", "Set total number of the symbols. Possible Values: 2..16", "-t 3"},
    {"-i", "--sid", "Set the Structured Append identification.", "-i 1234"},
    {"-e", "--qsize", "Set quiet zone size.", "-e 2"},
}};

// Options that have only a long name, in the order they were added. A
// description may go on over several lines, separated by '\n'; each next
// line is indented to the description column.
struct ExtendedOptionHelp {
    const char* longForm;
    const char* description;
};

constexpr std::array<ExtendedOptionHelp, 22> kExtendedOptionHelp{{
    {"--gs1", "The data is GS1: [01]09501101530003[10]AB, (01)...(10)...\n"
     "or a Digital Link URI; it is checked and FNC1 is added."},
    {"--gs1-nocheck", "As --gs1, checking only AIs, value lengths and characters."},
    {"--gs1-separator", "After variable-length GS1 values: fnc1 (default) or gs."},
    {"--hibc", "The data is a HIBC label: + and a check character are added."},
    {"--hri", "Print the human-readable text of GS1 or HIBC data on standard\n"
     "output (--hri-text draws it in the image)."},
    {"--type", "Output format: png, svg, eps, pdf or text. Without it, a file name\n"
     "ending in .svg, .eps or .pdf (any case) selects that format.\n"
     "text: a preview in Unicode half blocks for a terminal (--stdout may\n"
     "write it there); module size, image size and colours do not apply."},
    {"--module-mm", "Module size in millimetres, above 0 and at most 100.\n"
     "For a PNG it needs --dpi; not together with -x or -y."},
    {"--dpi", "Resolution in dots per inch, 1..100000: a pHYs chunk in a PNG,\n"
     "the size of vector output without --module-mm (default 96)."},
    {"--palette", "Write the PNG as a two-colour indexed image, 1 bit per pixel."},
    {"--time", "PNG time stamp in seconds since 1970-01-01 UTC, 0..253402300799;\n"
     "without it SOURCE_DATE_EPOCH, else the current time."},
    {"--stdout", "Write the image to standard output instead of a file."},
    {"--batch", "One symbol per line of the file (- for standard input).\n"
                "Example: --batch=labels.txt label-#####.png\n"
                "The last run of # in the file name becomes the line number;\n"
                "without #, -N goes before the extension."},
    {"--input", "Take the data from the file (- for standard input),\n"
                "byte for byte, without escapes. Example: --input=data.bin"},
    {"--jobs", "Symbols of a batch made at once. Possible Values: 1..256\n"
               "(default: the number of processors)"},
    {"--verify", "Read the symbol back with an independent decoder and check the\n"
     "written image; write nothing when they differ (status 16)."},
    {"--report", "Describe the symbol as one line of JSON in this file (- for\n"
     "standard output). Example: --report=out.json"},
    {"--shape", "Set the shape chosen with -f 0. Possible Values: square, rectangle"},
    {"--dmre", "Allow the rectangular extension formats 31..48 (DMRE)."},
    {"--utf8", "Read the data as UTF-8 text; beyond ISO 8859-1 it gets ECI 26."},
    {"--minimal", "Encode with the fewest codewords. Needs -m 0."},
    {"--version", "Print the version line and exit."},
    {"--hri-text", "Draw the human-readable text under the symbol: GS1 and HIBC\n"
     "data as --hri prints it, other data as it is (printable ASCII only)."},
}};

constexpr std::size_t kDescriptionColumn = 20;  // descriptions start in column 21

}  // namespace

std::string usageText()
{
    std::string text;
    text += kBannerLine;
    text += "\nUsage:  korvel [OPTIONS] filename\n";
    text += "Example:  korvel -x 120 -y 120 -d 1234567890 c:\\datamatrix.png\n";
    text += "Options:\n";
    for (const OptionHelp& option : kOptionHelp) {
        std::string line = std::string("   ") + option.shortForm + " " + option.longForm;
        line.resize(kDescriptionColumn, ' ');
        text += line + option.description + "\n";
        if (option.example != nullptr) {
            text += std::string(kDescriptionColumn, ' ') + "Example: " + option.example + "\n";
        }
    }
    text += "\nExtended options:\n";
    for (const ExtendedOptionHelp& option : kExtendedOptionHelp) {
        std::string line = std::string("   ") + option.longForm + "  ";
        if (line.size() < kDescriptionColumn) {
            line.resize(kDescriptionColumn, ' ');
        }
        for (const char* c = option.description; *c != '\0'; ++c) {
            line += *c;
            if (*c == '\n') {
                line.append(kDescriptionColumn, ' ');
            }
        }
        text += line + "\n";
    }
    return text;
}

bool printUsage(std::FILE* stream)
{
    const std::string text = usageText();
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    return std::fflush(stream) == 0 && written;
}

}  // namespace korvel
