#include "verify/vector_reading.hpp"

#include <zlib.h>

#include <cmath>
#include <regex>
#include <sstream>
#include <string_view>

namespace korvel {
namespace {

std::uint8_t channel(double fraction) { return static_cast<std::uint8_t>(std::lround(fraction * 255.0)); }

Color fromFractions(const std::string& r, const std::string& g, const std::string& b)
{
    return {channel(std::stod(r)), channel(std::stod(g)), channel(std::stod(b))};
}

// A rectangle whose corners are whole modules of a symbol; nothing otherwise.
std::optional<ModuleRectangle> wholeModules(double x, double y, double w, double h)
{
    constexpr double kLargest = 1 << 16;  // no symbol and quiet zone is wider
    const auto whole = [](double v) { return std::abs(v - std::round(v)) < 1e-9 && std::abs(v) <= kLargest; };
    if (!whole(x) || !whole(y) || !whole(w) || !whole(h) || w <= 0 || h <= 0) {
        return std::nullopt;
    }
    const auto module = [](double v) { return static_cast<std::int32_t>(std::lround(v)); };
    return ModuleRectangle{module(x), module(y), module(w), module(h)};
}

// The rectangles of an SVG path made of subpaths "M/m x y h w v h h -w z".
bool readSvgPath(const std::string& d, std::vector<ModuleRectangle>& out)
{
    std::istringstream in(d);
    double x = 0;
    double y = 0;
    double startX = 0;
    double startY = 0;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    char command = 0;
    while (in >> std::ws && in.peek() != EOF) {
        if (std::isalpha(in.peek()) != 0) {
            command = static_cast<char>(in.get());
        }
        if (command == 'z' || command == 'Z') {
            const auto rectangle = wholeModules(minX, minY, maxX - minX, maxY - minY);
            if (!rectangle) {
                return false;
            }
            out.push_back(*rectangle);
            x = startX;
            y = startY;
            command = 0;
            continue;
        }
        double a = 0;
        double b = 0;
        switch (command) {
        case 'M': in >> a >> b; x = a; y = b; break;
        case 'm': in >> a >> b; x += a; y += b; break;
        case 'h': in >> a; x += a; break;
        case 'v': in >> a; y += a; break;
        default: return false;
        }
        if (!in) {
            return false;
        }
        if (command == 'M' || command == 'm') {
            startX = minX = maxX = x;
            startY = minY = maxY = y;
        }
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    return true;
}

std::optional<DrawnVector> readSvg(const std::string& text, std::string& error)
{
    static const std::regex kBackground(R"re(<rect width="[^"]+" height="[^"]+" fill="#([0-9a-f]{6})"/>)re");
    static const std::regex kPath(R"re(<path fill="#([0-9a-f]{6})" transform="matrix\([^)]*\)" d="([^"]*)"/>)re");
    std::smatch background;
    std::smatch path;
    if (!std::regex_search(text, background, kBackground) || !std::regex_search(text, path, kPath)) {
        error = "the SVG has no background rectangle and module path";
        return std::nullopt;
    }
    DrawnVector drawn;
    drawn.background = Color::fromRgb(static_cast<std::uint32_t>(std::stoul(background[1], nullptr, 16)));
    drawn.foreground = Color::fromRgb(static_cast<std::uint32_t>(std::stoul(path[1], nullptr, 16)));
    if (!readSvgPath(path[2], drawn.dark)) {
        error = "the SVG module path is not made of whole-module rectangles";
        return std::nullopt;
    }
    return drawn;
}

// EPS and PDF draw the same way: a background fill, a colour, then one
// "x y w h" rectangle operator per run of modules.
std::optional<DrawnVector> readRectangleOperators(const std::string& text, const char* colourOperator,
                                                  const char* rectangleOperator, std::string& error)
{
    const std::string number = R"(([0-9.]+))";
    const std::regex colour(number + " " + number + " " + number + " " + colourOperator + "\n");
    const std::regex rectangle("(-?[0-9.]+) (-?[0-9.]+) ([0-9.]+) ([0-9.]+) " + std::string(rectangleOperator) + "\n");
    std::vector<Color> colours;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), colour); it != std::sregex_iterator(); ++it) {
        colours.push_back(fromFractions((*it)[1], (*it)[2], (*it)[3]));
    }
    if (colours.size() != 2) {
        error = "the drawing does not set exactly two colours";
        return std::nullopt;
    }
    DrawnVector drawn{colours[0], colours[1], {}};
    for (auto it = std::sregex_iterator(text.begin(), text.end(), rectangle); it != std::sregex_iterator(); ++it) {
        const auto r = wholeModules(std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4]));
        if (!r) {
            error = "a module rectangle does not lie on whole modules";
            return std::nullopt;
        }
        drawn.dark.push_back(*r);
    }
    return drawn;
}

// The first content stream of a PDF, inflated.
std::optional<std::string> pdfContent(const std::string& text)
{
    const std::size_t start = text.find("stream\n");
    const std::size_t end = text.find("\nendstream");
    if (start == std::string::npos || end == std::string::npos || end < start) {
        return std::nullopt;
    }
    const std::string_view packed(text.data() + start + 7, end - start - 7);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        return std::nullopt;
    }
    std::string content;
    std::vector<char> chunk(1 << 16);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = static_cast<uInt>(packed.size());
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(chunk.data());
        z.avail_out = static_cast<uInt>(chunk.size());
        status = inflate(&z, Z_NO_FLUSH);
        content.append(chunk.data(), chunk.size() - z.avail_out);
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? std::optional<std::string>(content) : std::nullopt;
}

}  // namespace

std::optional<DrawnVector> readVector(OutputType type, std::span<const std::uint8_t> bytes, std::string& error)
{
    const std::string text(bytes.begin(), bytes.end());
    try {
        switch (type) {
        case OutputType::Svg: return readSvg(text, error);
        case OutputType::Eps: return readRectangleOperators(text, "setrgbcolor", "R", error);
        case OutputType::Pdf: {
            const auto content = pdfContent(text);
            if (!content) {
                error = "the PDF page content cannot be inflated";
                return std::nullopt;
            }
            return readRectangleOperators(*content, "rg", "re", error);
        }
        case OutputType::Png:
        case OutputType::Text: break;
        }
    } catch (const std::exception&) {
        error = "a number in the drawing cannot be read";
        return std::nullopt;
    }
    error = "not a vector format";
    return std::nullopt;
}

}  // namespace korvel
