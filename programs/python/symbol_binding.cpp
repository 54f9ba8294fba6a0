#include "symbol_binding.hpp"

#include <cerrno>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "korvel/output.hpp"
#include "korvel/text_writer.hpp"
#include "korvel/report.hpp"
#include "korvel/verification.hpp"
#include "korvel/zxing_decoder.hpp"
#include "python_errors.hpp"
#include "render_keywords.hpp"

namespace korvel::python {
namespace {

using Bytes = std::vector<std::uint8_t>;

Outcome writeOutput(const Symbol& symbol, const OutputPlan& plan, const ByteSink& sink)
{
    switch (plan.type) {
    case OutputType::Svg: return writeSvg(symbol, plan.render, plan.vector, sink);
    case OutputType::Eps: return writeEps(symbol, plan.render, plan.vector, sink);
    case OutputType::Pdf: return writePdf(symbol, plan.render, plan.vector, sink);
    case OutputType::Text: return writeText(symbol, plan.render, {}, sink);
    case OutputType::Png: break;
    }
    return writePng(symbol, plan.render, plan.png, sink);
}

Outcome writeOutputFile(const Symbol& symbol, const OutputPlan& plan, const std::string& path)
{
    switch (plan.type) {
    case OutputType::Svg: return writeSvgFile(symbol, plan.render, plan.vector, path);
    case OutputType::Eps: return writeEpsFile(symbol, plan.render, plan.vector, path);
    case OutputType::Pdf: return writePdfFile(symbol, plan.render, plan.vector, path);
    case OutputType::Text: return writeTextFile(symbol, plan.render, {}, path);
    case OutputType::Png: break;
    }
    return writePngFile(symbol, plan.render, plan.png, path);
}

// Words for the failures a writer can still give once the keywords are
// checked: an image beyond the size limit, a symbol too large for xsize/ysize.
Outcome explained(Outcome outcome, const OutputPlan& plan)
{
    if (!outcome.detail.empty()) {
        return outcome;
    }
    if (outcome.code == ResultCode::InvalidArgument) {
        outcome.detail = "the image would be wider or higher than 65535 pixels";
    } else if (outcome.code == ResultCode::InvalidBarcodeSize && plan.render.imageSize) {
        outcome.detail = "the symbol and its quiet zone do not fit an image of " +
                         std::to_string(plan.render.imageSize->width) + " x " +
                         std::to_string(plan.render.imageSize->height) + " pixels (xsize, ysize)";
    }
    return outcome;
}

Bytes renderToMemory(const SymbolHandle& s, const OutputPlan& plan)
{
    Bytes bytes;
    Outcome written;
    {
        const py::gil_scoped_release release;
        written = writeOutput(s.symbol, plan, bufferSink(bytes));
    }
    if (!written.ok()) {
        raiseOutcome(explained(std::move(written), plan));
    }
    return bytes;
}

struct Checked {
    Outcome outcome;
    Verification verification;
};

// Both checks of --verify: the symbol read back in-process with zxing-cpp,
// and the written bytes compared with the module matrix.
Checked verifyBytes(const SymbolHandle& s, const OutputPlan& plan, std::span<const std::uint8_t> bytes)
{
    Checked checked;
    const py::gil_scoped_release release;
    ZxingDecoder decoder;
    checked.outcome = verify(s.options, s.symbol, plan.render, {plan.type, bytes}, decoder, checked.verification);
    return checked;
}

py::object parseJson(const std::string& json) { return py::module_::import("json").attr("loads")(json); }

// The "verification" object of the report.
py::object verificationDict(const Verification& verification)
{
    SymbolReport report;
    report.verification = verification;
    return parseJson(reportJson(report))["verification"];
}

void requireVerified(const SymbolHandle& s, const OutputPlan& plan, std::span<const std::uint8_t> bytes)
{
    const Checked checked = verifyBytes(s, plan, bytes);
    if (checked.outcome.code == ResultCode::VerificationFailed) {
        raiseVerificationFailed(checked.outcome, verificationDict(checked.verification));
    }
    if (!checked.outcome.ok()) {
        raiseOutcome(checked.outcome);
    }
}

// The bytes of one output kind, verified when the keywords ask for it.
Bytes output(const SymbolHandle& s, const py::kwargs& keywords, OutputType type, const char* method)
{
    const RenderSettings settings = renderSettingsOf(keywords, MethodKeywords::WithVerify, method);
    const OutputPlan plan = planOutput(settings, type);
    Bytes bytes = renderToMemory(s, plan);
    if (settings.verify) {
        requireVerified(s, plan, bytes);
    }
    return bytes;
}

py::bytes toBytes(const Bytes& bytes) { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }
py::str toText(const Bytes& bytes) { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }

bool isPath(py::handle target)
{
    return PyUnicode_Check(target.ptr()) != 0 || PyBytes_Check(target.ptr()) != 0 || py::hasattr(target, "__fspath__");
}

void saveToPath(const SymbolHandle& s, py::handle target, py::handle kind, const RenderSettings& settings)
{
    const py::object path = py::module_::import("os").attr("fsdecode")(target);
    const std::string name = path.cast<std::string>();
    const OutputPlan plan = planOutput(settings, outputKindOf(kind, name));
    Outcome written;
    int error = 0;
    if (settings.verify) {
        const Bytes bytes = renderToMemory(s, plan);
        requireVerified(s, plan, bytes);
        const py::gil_scoped_release release;
        errno = 0;
        written = writeFile(name, [&bytes](const ByteSink& sink) {
            return sink(bytes) ? Outcome() : Outcome(ResultCode::Fail);
        });
        error = errno;
    } else {
        const py::gil_scoped_release release;
        errno = 0;
        written = writeOutputFile(s.symbol, plan, name);
        error = errno;
    }
    if (!written.ok()) {
        raiseWriteFailure(explained(std::move(written), plan), error, path);
    }
}

void save(const SymbolHandle& s, py::handle target, py::handle kind, const py::kwargs& keywords)
{
    const RenderSettings settings = renderSettingsOf(keywords, MethodKeywords::WithVerify, "save");
    if (isPath(target)) {
        saveToPath(s, target, kind, settings);
        return;
    }
    if (!py::hasattr(target, "write")) {
        raiseInvalidType("target", target, "a path or a binary file object");
    }
    const py::object name = py::getattr(target, "name", py::none());
    const std::string fileName = py::isinstance<py::str>(name) ? name.cast<std::string>() : std::string();
    const OutputPlan plan = planOutput(settings, outputKindOf(kind, fileName));
    const Bytes bytes = renderToMemory(s, plan);
    if (settings.verify) {
        requireVerified(s, plan, bytes);
    }
    target.attr("write")(toBytes(bytes));
}

py::object verifyMethod(const SymbolHandle& s, py::handle kind, const py::kwargs& keywords)
{
    const RenderSettings settings = renderSettingsOf(keywords, MethodKeywords::RenderOnly, "verify");
    const OutputPlan plan = planOutput(settings, outputKindOf(kind, ""));
    const Bytes bytes = renderToMemory(s, plan);
    const Checked checked = verifyBytes(s, plan, bytes);
    if (!checked.outcome.ok() && checked.outcome.code != ResultCode::VerificationFailed) {
        raiseOutcome(checked.outcome);
    }
    return verificationDict(checked.verification);
}

py::object reportMethod(const SymbolHandle& s, py::handle kind, const py::kwargs& keywords)
{
    const RenderSettings settings = renderSettingsOf(keywords, MethodKeywords::WithVerify, "report");
    const OutputPlan plan = planOutput(settings, outputKindOf(kind, ""));
    SymbolReport report = describeInput(s.options);
    describeSymbol(s.options, s.symbol, report);
    describeImage(s.symbol, plan.render, report);
    const Bytes bytes = renderToMemory(s, plan);
    if (settings.verify) {
        Checked checked = verifyBytes(s, plan, bytes);
        if (!checked.outcome.ok() && checked.outcome.code != ResultCode::VerificationFailed) {
            raiseOutcome(checked.outcome);
        }
        report.verification = std::move(checked.verification);
        report.outcome = std::move(checked.outcome);
    }
    if (report.outcome.ok()) {
        report.sha256 = sha256Hex(bytes);
    }
    py::object json = parseJson(reportJson(report));
    json.attr("pop")("output_file");
    return json;
}

py::list matrixRows(const SymbolHandle& s)
{
    const ModuleMatrix& matrix = s.symbol.matrix();
    py::list rows(matrix.rows());
    const std::uint8_t* module = matrix.modules().data();
    for (std::size_t r = 0; r < matrix.rows(); ++r) {
        py::list row(matrix.columns());
        for (std::size_t c = 0; c < matrix.columns(); ++c) {
            row[c] = py::int_(*module++);
        }
        rows[r] = std::move(row);
    }
    return rows;
}

py::list gs1Elements(const SymbolHandle& s)
{
    py::list elements;
    for (const Gs1Element& element : s.symbol.gs1Data().elements) {
        elements.append(py::make_tuple(element.ai, element.value));
    }
    return elements;
}

constexpr const char* kSymbolDoc = R"(A finished Data Matrix symbol, made by korvel.encode().

A symbol is read-only. Its module matrix is available as nested lists
(``matrix``) and through the buffer protocol as a read-only 2-D array of
bytes, 1 for a dark module: ``numpy.asarray(symbol)`` shares it without a
copy. The output methods take the render keywords of the korvel program:

  xdim       pixels per module (default 5.0, rounded half up)
  xsize, ysize  a fixed image size in pixels; the symbol gets the largest
             whole module size that fits (the other side is 100 when only
             one is given)
  alignh, alignv  place in a fixed-size image: 0/'left', 1/'center',
             2/'right' and 0/'top', 1/'center', 2/'bottom'
  module_mm  module size in millimetres (vector output; for a PNG with dpi)
  dpi        resolution: a pHYs chunk in a PNG, and the pixel size of
             vector output without module_mm (96)
  fcolor, bcolor  dark and light colour: '#RRGGBB' or (r, g, b)
  qzone      draw the quiet zone (True), qsize its width in modules (1)
  orient     0, 90, 180 or 270 degrees counter-clockwise
  palette    a PNG of two indexed colours at 1 bit per pixel
  time       the PNG time stamp: seconds since 1970 UTC or an aware
             datetime (default SOURCE_DATE_EPOCH, else now)
  verify     prove the output first, as the program's --verify: read the
             symbol back with zxing-cpp and compare every module of the
             written bytes; raises korvel.VerificationError on a difference
)";

}  // namespace

SymbolHandle encodeOrRaise(SymbolOptions options)
{
    SymbolHandle handle;
    handle.options = std::move(options);
    Outcome encoded;
    {
        const py::gil_scoped_release release;
        encoded = encode(handle.options, handle.symbol);
    }
    if (!encoded.ok()) {
        raiseOutcome(encoded);
    }
    return handle;
}

void defineSymbol(py::module_& module)
{
    py::class_<SymbolHandle>(module, "Symbol", py::buffer_protocol(), kSymbolDoc)
        .def_property_readonly(
            "rows", [](const SymbolHandle& s) { return s.symbol.matrix().rows(); },
            "Height of the symbol in modules (quiet zone not included).")
        .def_property_readonly(
            "columns", [](const SymbolHandle& s) { return s.symbol.matrix().columns(); },
            "Width of the symbol in modules (quiet zone not included).")
        .def_property_readonly(
            "format", [](const SymbolHandle& s) { return s.symbol.format().id; },
            "The format number as the program's fmt: 1-24 square, 25-30 rectangular, 31-48 DMRE.")
        .def_property_readonly(
            "codewords",
            [](const SymbolHandle& s) {
                const CodewordString& codewords = s.symbol.codewords();
                return py::bytes(reinterpret_cast<const char*>(codewords.data()), codewords.size());
            },
            "All codewords as bytes: the data codewords, then the error correction codewords.")
        .def_property_readonly("matrix", &matrixRows,
                               "The modules as a list of rows, each a list of 0 (light) and 1 (dark); "
                               "row 0 is the top, as the symbol reads upright.")
        .def_property_readonly(
            "hri",
            [](const SymbolHandle& s) -> py::object {
                const std::string& text = s.symbol.humanReadableText();
                return text.empty() ? py::object(py::none()) : py::object(py::str(text));
            },
            "The human-readable text printed under a GS1 or HIBC symbol, "
            "'(01) 09501101530003 (17) 261231'; None for other data.")
        .def_property_readonly("gs1_elements", &gs1Elements,
                               "The GS1 element strings as a list of (AI, value) tuples; empty for other data.")
        .def_buffer([](const SymbolHandle& s) {
            const ModuleMatrix& matrix = s.symbol.matrix();
            const auto rows = static_cast<py::ssize_t>(matrix.rows());
            const auto columns = static_cast<py::ssize_t>(matrix.columns());
            return py::buffer_info(const_cast<std::uint8_t*>(matrix.modules().data()), 1,
                                   py::format_descriptor<std::uint8_t>::format(), 2, {rows, columns},
                                   {columns, py::ssize_t{1}}, true);
        })
        .def(
            "png",
            [](const SymbolHandle& s, const py::kwargs& k) { return toBytes(output(s, k, OutputType::Png, "png")); },
            "png(**render) -> bytes\n\nThe symbol as a PNG image (8-bit RGB, or 1-bit with palette=True).")
        .def(
            "svg",
            [](const SymbolHandle& s, const py::kwargs& k) { return toText(output(s, k, OutputType::Svg, "svg")); },
            "svg(**render) -> str\n\nThe symbol as an SVG 1.1 document, sized by module_mm or dpi.")
        .def(
            "eps",
            [](const SymbolHandle& s, const py::kwargs& k) { return toText(output(s, k, OutputType::Eps, "eps")); },
            "eps(**render) -> str\n\nThe symbol as Encapsulated PostScript (EPSF 3.0).")
        .def(
            "pdf",
            [](const SymbolHandle& s, const py::kwargs& k) { return toBytes(output(s, k, OutputType::Pdf, "pdf")); },
            "pdf(**render) -> bytes\n\nThe symbol as a one-page PDF document; module_mm=0.5 gives "
            "exactly half a millimetre per module.")
        .def("save", &save, py::arg("target"), py::arg("kind") = py::none(),
             "save(target, kind=None, **render) -> None\n\n"
             "Writes the symbol to a path (str or os.PathLike) or a binary file object.\n"
             "kind is 'png', 'svg', 'eps' or 'pdf'; without it the file ending (.svg, .eps,\n"
             ".pdf in any letter case; of target.name for a file object) chooses, and\n"
             "any other ending gives PNG. A file is written completely or not at all;\n"
             "a file that cannot be written raises OSError.")
        .def("verify", &verifyMethod, py::arg("kind") = py::none(),
             "verify(kind='png', **render) -> dict\n\n"
             "Proves the symbol as the program's --verify does, without raising for a\n"
             "difference: zxing-cpp reads the symbol back in this process and the output\n"
             "of that kind and those render options is compared module by module. The\n"
             "result is the report's 'verification' object: passed, detail, decoder,\n"
             "read, output_checked.")
        .def("report", &reportMethod, py::arg("kind") = py::none(),
             "report(kind='png', verify=False, **render) -> dict\n\n"
             "The description the program's --report writes for this symbol and this\n"
             "rendering (without output_file): status, message, input, data, gs1,\n"
             "encodation, format, codewords, image, sha256 of the output bytes and,\n"
             "with verify=True, verification.")
        .def(
            "_repr_png_",
            [](const SymbolHandle& s) { return toBytes(output(s, py::kwargs(), OutputType::Png, "_repr_png_")); },
            "The PNG image for Jupyter.")
        .def(
            "_repr_svg_",
            [](const SymbolHandle& s) { return toText(output(s, py::kwargs(), OutputType::Svg, "_repr_svg_")); },
            "The SVG image for Jupyter.")
        .def("__repr__", [](const SymbolHandle& s) {
            return "<korvel.Symbol " + std::to_string(s.symbol.matrix().rows()) + "x" +
                   std::to_string(s.symbol.matrix().columns()) + ", format " +
                   std::to_string(s.symbol.format().id) + ">";
        });
    module.attr("Symbol").attr("__module__") = "korvel";
}

}  // namespace korvel::python
