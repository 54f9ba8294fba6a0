#include "vector/pdf_writer.hpp"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <charconv>
#include <optional>

namespace korvel {
namespace {

constexpr PageOperators kPdfContent{"", " cm", " rg", " re f", " re", "f", " k", ""};

// The sides a PDF page may have, in units of its user space (1/72 inch
// unless UserUnit, from PDF 1.6 on, makes a unit larger).
constexpr double kMinPageUnits = 3.0;
constexpr double kMaxPageUnits = 14400.0;
constexpr int kUserUnitDigits = 4;

// Points per unit of the page's user space: 1, unless a side of the picture
// exceeds the largest page; then the smallest UserUnit (to four fraction
// digits) that brings both sides within it. Nothing when a side stays
// below the smallest page.
std::optional<double> pageUnitPoints(const VectorPicture& picture)
{
    const double longer = std::max(picture.widthPoints(), picture.heightPoints());
    const double shorter = std::min(picture.widthPoints(), picture.heightPoints());
    double unit = 1.0;
    if (roundedTo(longer, kSizeDigits) > kMaxPageUnits) {
        const double scale = std::pow(10.0, kUserUnitDigits);
        unit = std::ceil(longer / kMaxPageUnits * scale) / scale;
    }
    if (roundedTo(shorter / unit, kSizeDigits) < kMinPageUnits) {
        return std::nullopt;
    }
    return unit;
}

Outcome pageRefused(const VectorPicture& picture)
{
    VectorText why;
    why.text("the PDF page would be ").decimal(picture.widthPoints(), kSizeDigits).text(" x ");
    why.decimal(picture.heightPoints(), kSizeDigits).text(" points; PDF pages are 3 to 14,400 units a side");
    return {ResultCode::InvalidArgument, why.take()};
}

// Appends objects numbered from 1 and remembers where each one starts.
class PdfObjects {
public:
    explicit PdfObjects(VectorText& out) : out_(out) {}

    void add(std::string_view body)
    {
        offsets_.push_back(out_.size());
        out_.integer(static_cast<std::int64_t>(offsets_.size())).text(" 0 obj\n").text(body).text("\nendobj\n");
    }

    // The cross-reference table (entries of exactly 20 bytes), the trailer
    // naming object 1 as the catalog, and the table's offset.
    void finish()
    {
        const std::size_t table = out_.size();
        out_.text("xref\n0 ").integer(static_cast<std::int64_t>(offsets_.size() + 1)).text("\n");
        out_.text("0000000000 65535 f \n");
        for (const std::size_t offset : offsets_) {
            std::array<char, 10> digits{};
            digits.fill('0');
            std::array<char, 20> value{};
            const auto end = std::to_chars(value.data(), value.data() + value.size(), offset).ptr;
            const auto length = static_cast<std::size_t>(end - value.data());
            std::copy(value.data(), end, digits.data() + (digits.size() - length));
            out_.text(std::string_view(digits.data(), digits.size())).text(" 00000 n \n");
        }
        out_.text("trailer\n<< /Size ").integer(static_cast<std::int64_t>(offsets_.size() + 1));
        out_.text(" /Root 1 0 R >>\nstartxref\n").integer(static_cast<std::int64_t>(table)).text("\n%%EOF\n");
    }

private:
    VectorText& out_;
    std::vector<std::size_t> offsets_;
};

std::string pageObject(const VectorPicture& picture, double unitPoints)
{
    VectorText page;
    page.text("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 ");
    page.decimal(picture.widthPoints() / unitPoints, kSizeDigits).text(" ");
    page.decimal(picture.heightPoints() / unitPoints, kSizeDigits).text("]");
    if (unitPoints != 1.0) {
        page.text(" /UserUnit ").decimal(unitPoints, kUserUnitDigits);
    }
    page.text(picture.text ? " /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>"
                           : " /Resources << >> /Contents 4 0 R >>");
    return page.take();
}

// The drawing deflated (a large symbol's drawing shrinks to about a fifth),
// or nothing when zlib cannot have the memory for it.
std::optional<std::string> deflated(const std::string& drawing)
{
    uLongf length = compressBound(static_cast<uLong>(drawing.size()));
    std::string packed(length, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &length, reinterpret_cast<const Bytef*>(drawing.data()),
                  static_cast<uLong>(drawing.size()), Z_DEFAULT_COMPRESSION) != Z_OK) {
        return std::nullopt;
    }
    packed.resize(length);
    return packed;
}

// The line of human-readable text in Courier, one of the standard fonts
// every PDF reader has (nothing embedded, and text extraction finds it),
// drawn where the module drawing left the transform; the text matrix turns
// the glyphs upright again.
void appendText(VectorText& content, const VectorPicture& picture)
{
    const PlacedText placed = placeTextInModules(picture, kCourierMetrics);
    content.text("BT\n/F1 1 Tf\n").decimal(placed.fontSize, kScaleDigits).text(" 0 0 ");
    content.decimal(-placed.fontSize, kScaleDigits).text(" ").decimal(placed.left, kScaleDigits).text(" ");
    content.decimal(placed.baseline, kScaleDigits).text(" Tm\n");
    appendStringLiteral(content, picture.text->line);
    content.text(" Tj\nET\n");
}

constexpr std::string_view kCourierFont = "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>";

std::string contentObject(const VectorPicture& picture, double unitPoints)
{
    VectorText content;
    appendPageDrawing(content, picture, kPdfContent, unitPoints);
    if (picture.text) {
        appendText(content, picture);
    }
    std::string drawing = content.take();
    const auto packed = deflated(drawing);
    const std::string& data = packed ? *packed : drawing;
    VectorText object;
    object.text("<< /Length ").integer(static_cast<std::int64_t>(data.size()));
    object.text(packed ? " /Filter /FlateDecode" : "").text(" >>\nstream\n").text(data).text("\nendstream");
    return object.take();
}

}  // namespace

Outcome pdfDocument(const VectorPicture& picture, std::string& document)
{
    const std::optional<double> unitPoints = pageUnitPoints(picture);
    if (!unitPoints) {
        return pageRefused(picture);
    }
    VectorText pdf;
    // UserUnit came with PDF 1.6. The comment of bytes above 127 marks the
    // file as binary for transfer programs.
    pdf.text(*unitPoints == 1.0 ? "%PDF-1.4" : "%PDF-1.6").text("\n%\xE2\xE3\xCF\xD3\n");
    PdfObjects objects(pdf);
    objects.add("<< /Type /Catalog /Pages 2 0 R >>");
    objects.add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    objects.add(pageObject(picture, *unitPoints));
    objects.add(contentObject(picture, *unitPoints));
    if (picture.text) {
        objects.add(kCourierFont);
    }
    objects.finish();
    document = pdf.take();
    return ResultCode::Ok;
}

}  // namespace korvel
