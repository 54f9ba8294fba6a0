#include "verify/vector_reading.hpp"

#include <zlib.h>

#include <algorithm>
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

// Gathers the closed subpaths of a drawing: curved ones are circles
// (their on-curve points span the diameter), straight ones rectangles of
// whole modules where they are, outlines otherwise.
class Shapes {
public:
    explicit Shapes(DrawnVector& drawn) : drawn_(drawn) {}

    void moveTo(double x, double y)
    {
        points_.assign(1, {x, y});
        curved_ = false;
    }
    void lineTo(double x, double y)
    {
        if (points_.empty() || points_.back() != OutlinePoint{x, y}) {
            points_.push_back({x, y});
        }
    }
    void curveTo(double x, double y)
    {
        lineTo(x, y);
        curved_ = true;
    }
    // False for a subpath that is closed before it began.
    bool close()
    {
        if (points_.empty()) {
            return false;
        }
        if (points_.size() > 1 && points_.back() == points_.front()) {
            points_.pop_back();
        }
        double minX = points_.front().x, maxX = minX, minY = points_.front().y, maxY = minY;
        for (const OutlinePoint& p : points_) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
        if (curved_) {
            drawn_.dots.push_back({{(minX + maxX) / 2, (minY + maxY) / 2}, std::max(maxX - minX, maxY - minY)});
        } else if (const auto r = points_.size() == 4 ? wholeModules(minX, minY, maxX - minX, maxY - minY)
                                                      : std::nullopt) {
            drawn_.dark.push_back(*r);
        } else {
            drawn_.outlines.push_back(points_);
        }
        const OutlinePoint start = points_.front();
        moveTo(start.x, start.y);
        return true;
    }
    // Where a relative move after a close starts from.
    [[nodiscard]] OutlinePoint current() const { return points_.empty() ? OutlinePoint{} : points_.back(); }

private:
    DrawnVector& drawn_;
    std::vector<OutlinePoint> points_;
    bool curved_ = false;
};

// The shapes of an SVG path of absolute or relative moves, horizontal and
// vertical lines (H, V, h, v), elliptical arcs (A) and closes.
bool readSvgPath(std::string_view d, DrawnVector& drawn)
{
    Shapes shapes(drawn);
    double x = 0;
    double y = 0;
    char command = 0;
    const auto skipSpace = [&d]() {
        while (!d.empty() && (d.front() == ' ' || d.front() == '\n' || d.front() == '\t' || d.front() == '\r' ||
                              d.front() == ',')) {
            d.remove_prefix(1);
        }
    };
    const auto numbers = [&](std::size_t count, std::array<double, 7>& into) {
        for (std::size_t k = 0; k < count; ++k) {
            skipSpace();
            const auto value = takeNumber(d);
            if (!value) {
                return false;
            }
            into[k] = *value;
        }
        return true;
    };
    for (skipSpace(); !d.empty(); skipSpace()) {
        const char c = d.front();
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            command = c;
            d.remove_prefix(1);
        }
        if (command == 'z' || command == 'Z') {
            if (!shapes.close()) {
                return false;
            }
            x = shapes.current().x;
            y = shapes.current().y;
            command = 0;
            continue;
        }
        std::array<double, 7> n{};
        const std::size_t count = command == 'M' || command == 'm' ? 2 : command == 'A' ? 7
                                  : std::string_view("hHvV").find(command) != std::string_view::npos ? 1 : 0;
        if (count == 0 || !numbers(count, n)) {
            return false;
        }
        switch (command) {
        case 'M': x = n[0]; y = n[1]; shapes.moveTo(x, y); break;
        case 'm': x += n[0]; y += n[1]; shapes.moveTo(x, y); break;
        case 'h': x += n[0]; shapes.lineTo(x, y); break;
        case 'H': x = n[0]; shapes.lineTo(x, y); break;
        case 'v': y += n[0]; shapes.lineTo(x, y); break;
        case 'V': y = n[0]; shapes.lineTo(x, y); break;
        default: x = n[5]; y = n[6]; shapes.curveTo(x, y); break;
        }
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
    findElement(text, "<rect ", [&](std::string_view element) {
        std::string_view width, height, fill;
        Cursor cursor(element);
        cursor.literal("<rect width=\"").value(width).literal("\" height=\"").value(height);
        cursor.literal("\" fill=\"").value(fill).literal("\"/>");
        background = cursor.ok() ? hexColour(fill) : std::nullopt;
        return background.has_value();
    });
    const bool found =
        findElement(text, "<path ", [&](std::string_view element) {
            std::string_view fill, transform;
            Cursor cursor(element);
            cursor.literal("<path fill=\"").value(fill).literal("\" transform=\"").value(transform);
            cursor.literal("\" d=\"").value(path).literal("\"/>");
            foreground = cursor.ok() ? hexColour(fill) : std::nullopt;
            return foreground && transform.starts_with("matrix(") && transform.ends_with(")");
        });
    if (!found) {
        error = "the SVG has no module path";
        return std::nullopt;
    }
    DrawnVector drawn;
    drawn.background = background;
    drawn.foreground = *foreground;
    if (!readSvgPath(path, drawn)) {
        error = "the SVG module path cannot be read";
        return std::nullopt;
    }
    return drawn;
}

// The operators of a page description language that set colours and add rectangles.
struct PageWords {
    std::string_view rgb;
    std::string_view cmyk;
    std::string_view rectangle;
};

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

// EPS and PDF draw the same way: an optional background fill, a colour,
// then the dark modules on lines of their own: "x y w h" rectangle
// operators, or subpaths of "x y m", "x y l", "x1 y1 x2 y2 x3 y3 c" and
// "h", or (EPS) "x y diameter D" circles. Colours are RGB or CMYK.
std::optional<DrawnVector> readPathOperators(std::string_view text, const PageWords& words, std::string& error)
{
    std::vector<Color> colours;
    std::size_t cmykColours = 0;
    DrawnVector drawn;
    Shapes shapes(drawn);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            break;  // a drawing operator counts only with its line ended
        }
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (const auto rgb = operands<3>(line, words.rgb)) {
            colours.push_back({channel((*rgb)[0]), channel((*rgb)[1]), channel((*rgb)[2])});
        } else if (const auto cmyk = operands<4>(line, words.cmyk)) {
            const auto [c, m, y, k] = *cmyk;
            colours.push_back({channel((1 - c) * (1 - k)), channel((1 - m) * (1 - k)), channel((1 - y) * (1 - k))});
            ++cmykColours;
        } else if (const auto xywh = operands<4>(line, words.rectangle)) {
            const auto r = wholeModules((*xywh)[0], (*xywh)[1], (*xywh)[2], (*xywh)[3]);
            if (!r) {
                error = "a module rectangle does not lie on whole modules";
                return std::nullopt;
            }
            drawn.dark.push_back(*r);
        } else if (const auto to = operands<2>(line, "m")) {
            shapes.moveTo((*to)[0], (*to)[1]);
        } else if (const auto lineTo = operands<2>(line, "l")) {
            shapes.lineTo((*lineTo)[0], (*lineTo)[1]);
        } else if (const auto curve = operands<6>(line, "c")) {
            shapes.curveTo((*curve)[4], (*curve)[5]);
        } else if (const auto dot = operands<3>(line, "D")) {
            drawn.dots.push_back({{(*dot)[0], (*dot)[1]}, (*dot)[2]});
        } else if (line == "h" && !shapes.close()) {
            error = "a path is closed before it begins";
            return std::nullopt;
        }
    }
    if (colours.empty() || colours.size() > 2 || (cmykColours != 0 && cmykColours != colours.size())) {
        error = "the drawing does not set one or two colours of one colour space";
        return std::nullopt;
    }
    if (colours.size() == 2) {
        drawn.background = colours.front();
    }
    drawn.foreground = colours.back();
    drawn.cmyk = cmykColours != 0;
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
    case OutputType::Eps: return readPathOperators(text, {"setrgbcolor", "setcmykcolor", "R"}, error);
    case OutputType::Pdf: {
        const auto content = pdfContent(text);
        if (!content) {
            error = "the PDF page content cannot be inflated";
            return std::nullopt;
        }
        return readPathOperators(*content, {"rg", "k", "re"}, error);
    }
    case OutputType::Png:
    case OutputType::Text: break;
    }
    error = "not a vector format";
    return std::nullopt;
}

}  // namespace korvel
