#include "verify/vector_reading.hpp"

#include <zlib.h>

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

#include "common/byte_text.hpp"

namespace korvel {
namespace {

// Every reader here walks its text once, front to back, with no recursion:
// time grows with the length of the text and the stack stays the same,
// whatever the size of the drawing.

std::uint8_t channel(double fraction) { return static_cast<std::uint8_t>(std::lround(fraction * 255.0)); }

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

// A number at the front of `text`, which then starts after it.
std::optional<double> takeNumber(std::string_view& text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value)) {
        return std::nullopt;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

// The rectangles of an SVG path made of subpaths "M/m x y h w v h h -w z".
bool readSvgPath(std::string_view d, std::vector<ModuleRectangle>& out)
{
    double x = 0;
    double y = 0;
    double startX = 0;
    double startY = 0;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    char command = 0;
    const auto skipSpace = [&d]() {
        while (!d.empty() && (d.front() == ' ' || d.front() == '\n' || d.front() == '\t' || d.front() == '\r' ||
                              d.front() == ',')) {
            d.remove_prefix(1);
        }
    };
    for (skipSpace(); !d.empty(); skipSpace()) {
        const char c = d.front();
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            command = c;
            d.remove_prefix(1);
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
        const int operands = command == 'M' || command == 'm' ? 2 : command == 'h' || command == 'v' ? 1 : 0;
        if (operands == 0) {
            return false;
        }
        double a = 0;
        double b = 0;
        skipSpace();
        const auto first = takeNumber(d);
        skipSpace();
        const auto second = operands == 2 ? takeNumber(d) : std::optional<double>(0.0);
        if (!first || !second) {
            return false;
        }
        a = *first;
        b = *second;
        switch (command) {
        case 'M': x = a; y = b; break;
        case 'm': x += a; y += b; break;
        case 'h': x += a; break;
        default: y += a; break;
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

// Matches a fixed sequence of literal pieces and attribute values at the
// front of a text: `literal` consumes exact text, `value` the text up to the
// next double quote (at least one character).
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}

    Cursor& literal(std::string_view piece)
    {
        ok_ = ok_ && text_.substr(0, piece.size()) == piece;
        if (ok_) {
            text_.remove_prefix(piece.size());
        }
        return *this;
    }
    Cursor& value(std::string_view& into)
    {
        const std::size_t quote = ok_ ? text_.find('"') : std::string_view::npos;
        ok_ = ok_ && quote != std::string_view::npos && quote > 0;
        if (ok_) {
            into = text_.substr(0, quote);
            text_.remove_prefix(quote);
        }
        return *this;
    }
    [[nodiscard]] bool ok() const noexcept { return ok_; }

private:
    std::string_view text_;
    bool ok_ = true;
};

// "#rrggbb" in lower-case hexadecimal digits, as the writer puts it.
std::optional<Color> hexColour(std::string_view text)
{
    if (text.size() != 7 || text[0] != '#') {
        return std::nullopt;
    }
    std::uint32_t rgb = 0;
    for (const char c : text.substr(1)) {
        const int digit = hexDigit(c);
        if (digit < 0 || (c >= 'A' && c <= 'F')) {
            return std::nullopt;
        }
        rgb = rgb << 4 | static_cast<std::uint32_t>(digit);
    }
    return Color::fromRgb(rgb);
}

// The first element that starts with `opening` and matches `match` there;
// every try looks at the text from one opening on, and openings are found
// left to right, so the search reads the text about once for well-formed
// input.
template <typename Match>
bool findElement(std::string_view text, std::string_view opening, Match match)
{
    for (std::size_t at = text.find(opening); at != std::string_view::npos; at = text.find(opening, at + 1)) {
        if (match(text.substr(at))) {
            return true;
        }
    }
    return false;
}

std::optional<DrawnVector> readSvg(std::string_view text, std::string& error)
{
    std::optional<Color> background;
    std::optional<Color> foreground;
    std::string_view path;
    const bool found =
        findElement(text, "<rect ", [&](std::string_view element) {
            std::string_view width, height, fill;
            Cursor cursor(element);
            cursor.literal("<rect width=\"").value(width).literal("\" height=\"").value(height);
            cursor.literal("\" fill=\"").value(fill).literal("\"/>");
            background = cursor.ok() ? hexColour(fill) : std::nullopt;
            return background.has_value();
        }) &&
        findElement(text, "<path ", [&](std::string_view element) {
            std::string_view fill, transform;
            Cursor cursor(element);
            cursor.literal("<path fill=\"").value(fill).literal("\" transform=\"").value(transform);
            cursor.literal("\" d=\"").value(path).literal("\"/>");
            foreground = cursor.ok() ? hexColour(fill) : std::nullopt;
            return foreground && transform.starts_with("matrix(") && transform.ends_with(")");
        });
    if (!found) {
        error = "the SVG has no background rectangle and module path";
        return std::nullopt;
    }
    DrawnVector drawn{*background, *foreground, {}};
    if (!readSvgPath(path, drawn.dark)) {
        error = "the SVG module path is not made of whole-module rectangles";
        return std::nullopt;
    }
    return drawn;
}

// The numbers of a line "n1 n2 ... nk operator", when the line has exactly
// `count` numbers before the operator; nothing otherwise.
template <std::size_t count>
std::optional<std::array<double, count>> operands(std::string_view line, std::string_view op)
{
    if (line.size() <= op.size() || line.substr(line.size() - op.size()) != op ||
        line[line.size() - op.size() - 1] != ' ') {
        return std::nullopt;
    }
    line.remove_suffix(op.size() + 1);
    std::array<double, count> numbers{};
    for (std::size_t k = 0; k < count; ++k) {
        if (k > 0 && !line.empty() && line.front() == ' ') {
            line.remove_prefix(1);
        }
        const auto number = takeNumber(line);
        if (!number) {
            return std::nullopt;
        }
        numbers[k] = *number;
    }
    if (!line.empty()) {
        return std::nullopt;
    }
    return numbers;
}

// EPS and PDF draw the same way: a background fill, a colour, then one
// "x y w h" rectangle operator per run of modules, each on a line of its own.
std::optional<DrawnVector> readRectangleOperators(std::string_view text, std::string_view colourOperator,
                                                  std::string_view rectangleOperator, std::string& error)
{
    std::vector<Color> colours;
    DrawnVector drawn;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            break;  // a drawing operator counts only with its line ended
        }
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (const auto rgb = operands<3>(line, colourOperator)) {
            colours.push_back({channel((*rgb)[0]), channel((*rgb)[1]), channel((*rgb)[2])});
        } else if (const auto xywh = operands<4>(line, rectangleOperator)) {
            const auto r = wholeModules((*xywh)[0], (*xywh)[1], (*xywh)[2], (*xywh)[3]);
            if (!r) {
                error = "a module rectangle does not lie on whole modules";
                return std::nullopt;
            }
            drawn.dark.push_back(*r);
        }
    }
    if (colours.size() != 2) {
        error = "the drawing does not set exactly two colours";
        return std::nullopt;
    }
    drawn.background = colours[0];
    drawn.foreground = colours[1];
    return drawn;
}

// The first content stream of a PDF, inflated; nothing when it cannot be,
// or when it would be larger than any page of ours.
std::optional<std::string> pdfContent(std::string_view text)
{
    constexpr std::size_t kLargestContent = std::size_t{1} << 28;
    const std::size_t start = text.find("stream\n");
    const std::size_t end = text.find("\nendstream");
    if (start == std::string_view::npos || end == std::string_view::npos || end < start + 7) {
        return std::nullopt;
    }
    const std::string_view packed = text.substr(start + 7, end - start - 7);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        return std::nullopt;
    }
    std::string content;
    std::vector<char> chunk(1 << 16);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = static_cast<uInt>(packed.size());
    int status = Z_OK;
    while (status == Z_OK && content.size() <= kLargestContent) {
        z.next_out = reinterpret_cast<Bytef*>(chunk.data());
        z.avail_out = static_cast<uInt>(chunk.size());
        status = inflate(&z, Z_NO_FLUSH);
        content.append(chunk.data(), chunk.size() - z.avail_out);
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? std::optional<std::string>(std::move(content)) : std::nullopt;
}

}  // namespace

std::optional<DrawnVector> readVector(OutputType type, std::span<const std::uint8_t> bytes, std::string& error)
{
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
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
    error = "not a vector format";
    return std::nullopt;
}

}  // namespace korvel
