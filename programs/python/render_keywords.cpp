#include "render_keywords.hpp"

#include <array>
#include <cstdlib>
#include <string>
#include <utility>

#include "keyword_values.hpp"
#include "python_errors.hpp"

namespace korvel::python {
namespace {

constexpr std::int64_t kLatestImageTime = 253402300799;  // 9999-12-31 23:59:59 UTC
constexpr std::string_view kTimeAccepted =
    "seconds since 1970-01-01 UTC from 0 to 253402300799, or a datetime with a time zone";
constexpr std::string_view kKindAccepted = "'png', 'svg', 'eps' or 'pdf'";

Alignment alignmentValue(std::string_view keyword, py::handle value, std::string_view start, std::string_view end)
{
    const std::string accepted = "0 to 2, or '" + std::string(start) + "', 'center', '" + std::string(end) + "'";
    if (PyUnicode_Check(value.ptr())) {
        const std::string name = wordValue(keyword, value, accepted);
        if (name == start) {
            return Alignment::Start;
        }
        if (name == "center" || name == "centre") {
            return Alignment::Center;
        }
        if (name == end) {
            return Alignment::End;
        }
        raiseInvalidValue(keyword, value, accepted);
    }
    return static_cast<Alignment>(integerValue(keyword, value, 0, 2, accepted));
}

std::int64_t timeValue(std::string_view keyword, py::handle value)
{
    const py::object datetimeType = py::module_::import("datetime").attr("datetime");
    if (!py::isinstance(value, datetimeType)) {
        return integerValue(keyword, value, OptionId::Time, kTimeAccepted);
    }
    if (value.attr("tzinfo").is_none()) {
        raiseInvalidValue(keyword, value, kTimeAccepted);
    }
    const double seconds = value.attr("timestamp")().cast<double>();
    if (!(seconds >= 0.0 && seconds <= static_cast<double>(kLatestImageTime))) {
        raiseInvalidValue(keyword, value, kTimeAccepted);
    }
    return static_cast<std::int64_t>(seconds);
}

void applyKeyword(RenderSettings& s, std::string_view name, py::handle value, MethodKeywords accepted,
                  std::string_view method)
{
    RenderOptions& r = s.render;
    if (name == "xdim") {
        // Above the row's range the library says why: the image would be too large.
        constexpr std::string_view kAccepted = "pixels per module, at least 0.5";
        r.moduleSize = realValue(name, value, kAccepted);
        if (!(r.moduleSize >= optionDefinition(OptionId::XDim).decimals.low)) {
            raiseInvalidValue(name, value, kAccepted);
        }
    } else if (name == "xsize" || name == "ysize") {
        const auto side = static_cast<std::int32_t>(
            integerValue(name, value, name == "xsize" ? OptionId::XSize : OptionId::YSize, "pixels from 1 to 65535"));
        (name == "xsize" ? s.width : s.height) = side;
    } else if (name == "module_mm") {
        s.moduleMillimetres = realValue(name, value, OptionId::ModuleMm, "millimetres above 0 and at most 100");
    } else if (name == "dpi") {
        s.dotsPerInch =
            static_cast<std::int32_t>(integerValue(name, value, OptionId::Dpi, "an integer from 1 to 100000"));
    } else if (name == "fcolor") {
        r.foreground = colorValue(name, value);
    } else if (name == "bcolor") {
        r.background = colorValue(name, value);
    } else if (name == "qzone") {
        r.quietZone = flagValue(name, value);
    } else if (name == "qsize") {
        r.quietZoneSize =
            static_cast<std::int32_t>(integerValue(name, value, OptionId::QuietZoneSize, "modules from 0 to 32767"));
    } else if (name == "orient") {
        r.orientation = static_cast<Orientation>(integerValue(name, value, OptionId::Orientation, "0, 90, 180 or 270"));
    } else if (name == "alignh") {
        r.horizontal = alignmentValue(name, value, "left", "right");
    } else if (name == "alignv") {
        r.vertical = alignmentValue(name, value, "top", "bottom");
    } else if (name == "palette") {
        s.palette = flagValue(name, value);
    } else if (name == "time") {
        s.time = timeValue(name, value);
    } else if (name == "cmyk") {
        r.cmyk = flagValue(name, value);
    } else if (name == "no_background") {
        r.transparentBackground = flagValue(name, value);
    } else if (name == "hri_text") {
        r.hriText = flagValue(name, value);
    } else if (name == "dots") {
        r.dotDiameter = realValue(name, value, OptionId::Dots, "a fraction of the module from 0.1 to 1.0");
    } else if (name == "ink_spread") {
        r.inkSpread = realValue(name, value, OptionId::InkSpread, "a fraction of the module from 0 to 0.5");
    } else if (name == "verify" && accepted == MethodKeywords::WithVerify) {
        s.verify = flagValue(name, value);
    } else {
        raiseArgumentTypeError("Error: " + std::string(method) + "() got an unexpected keyword argument '" +
                               std::string(name) + "'.");
    }
}

// The options in effect, as the combination rules see them, and the kind
// of output once it is known.
RunFacts factsOf(const RenderSettings& s, std::optional<OutputType> type)
{
    RunFacts facts;
    const std::pair<bool, OptionId> given[] = {{s.width.has_value(), OptionId::XSize},
                                               {s.height.has_value(), OptionId::YSize},
                                               {s.moduleMillimetres.has_value(), OptionId::ModuleMm},
                                               {s.dotsPerInch.has_value(), OptionId::Dpi}};
    for (const auto& [on, option] : given) {
        if (on) {
            facts.add(option);
        }
    }
    if (type == OutputType::Png) {
        facts.add(RunCondition::PngOutput);
    }
    return facts;
}

// The PNG's time stamp when `time` is not given: SOURCE_DATE_EPOCH (the
// reproducible-builds convention, as the program reads it), else the clock.
std::optional<std::time_t> defaultImageTime()
{
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch == nullptr) {
        return std::nullopt;
    }
    const std::string_view text(epoch);
    std::int64_t seconds = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || seconds > (kLatestImageTime - (c - '0')) / 10) {
            raiseArgumentError("SOURCE_DATE_EPOCH is not a time from 0 to 253402300799: '" + std::string(text) +
                               "'");
        }
        seconds = seconds * 10 + (c - '0');
    }
    if (text.empty()) {
        raiseArgumentError("SOURCE_DATE_EPOCH is empty");
    }
    return static_cast<std::time_t>(seconds);
}

}  // namespace

RenderSettings renderSettingsOf(const py::kwargs& keywords, MethodKeywords accepted, std::string_view method)
{
    RenderSettings settings;
    for (const auto& [key, value] : keywords) {
        if (!value.is_none()) {
            applyKeyword(settings, keywordName(key), value, accepted, method);
        }
    }
    checkKeywordCombinations(factsOf(settings, std::nullopt));
    if (Outcome marks = checkDotsAndSpread(settings.render.dotDiameter, settings.render.inkSpread); !marks.ok()) {
        raiseArgumentError(inCallerNames(marks.detail, '_'));
    }
    return settings;
}

OutputType outputKindOf(py::handle kind, std::string_view path)
{
    constexpr std::array<std::pair<std::string_view, OutputType>, 4> kKinds{
        {{"png", OutputType::Png}, {"svg", OutputType::Svg}, {"eps", OutputType::Eps}, {"pdf", OutputType::Pdf}}};
    if (!kind.is_none()) {
        const std::string name = wordValue("kind", kind, kKindAccepted);
        for (const auto& [known, type] : kKinds) {
            if (name == known) {
                return type;
            }
        }
        raiseInvalidValue("kind", kind, kKindAccepted);
    }
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) {
        std::string ending(path.substr(dot + 1));
        for (char& c : ending) {
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        for (const auto& [known, type] : kKinds) {
            if (ending == known) {
                return type;
            }
        }
    }
    return OutputType::Png;
}

OutputPlan planOutput(const RenderSettings& settings, OutputType type)
{
    OutputPlan plan;
    plan.type = type;
    plan.render = settings.render;
    if (settings.width || settings.height) {
        plan.render.imageSize = ImageSize{settings.width.value_or(100), settings.height.value_or(100)};
    }
    checkKeywordCombinations(factsOf(settings, type));
    if (type == OutputType::Png) {
        if (settings.moduleMillimetres) {
            plan.render.moduleSize = modulePixelsAt(*settings.moduleMillimetres, *settings.dotsPerInch);
        }
        plan.png.dotsPerInch = settings.dotsPerInch;
        plan.png.palette = settings.palette;
        plan.png.time = settings.time ? std::optional<std::time_t>(*settings.time) : defaultImageTime();
    } else {
        plan.vector.moduleMillimetres = settings.moduleMillimetres;
        plan.vector.dotsPerInch = settings.dotsPerInch.value_or(kDefaultDotsPerInch);
    }
    return plan;
}

}  // namespace korvel::python
