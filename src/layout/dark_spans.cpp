#include "layout/dark_spans.hpp"

#include <cmath>

namespace korvel {
namespace {

// The pixels of one row of a module of s pixels whose centres lie within a
// circle of `diameter` pixels centred in the module, at the row's offset
// from the centre. In doubled coordinates a pixel c's centre is 2c + 1 - s
// from the module's centre.
std::pair<std::int64_t, std::int64_t> circleRow(std::int64_t s, double diameter, std::int64_t r)
{
    const double dy = static_cast<double>(2 * r + 1 - s);
    const double reach = diameter * diameter - dy * dy;
    if (diameter <= 0.0 || reach < 0.0) {
        return {0, 0};
    }
    // A tiny allowance keeps centres exactly on the circle inside it.
    const double w = std::sqrt(reach) + 1e-9;
    const auto first = static_cast<std::int64_t>(std::ceil((static_cast<double>(s - 1) - w) / 2.0));
    const auto last = static_cast<std::int64_t>(std::floor((static_cast<double>(s - 1) + w) / 2.0));
    return {std::max<std::int64_t>(first, 0), std::min<std::int64_t>(last + 1, s)};
}

}  // namespace

DarkSpans::DarkSpans(const SymbolLayout& layout, const ModuleView& view)
    : layout_(layout), view_(view), spread_(layout.inkSpreadUnits)
{
    if (layout.marks.dotDiameter) {
        const std::int64_t s = layout.moduleSize;
        const double diameter = *layout.marks.dotDiameter * static_cast<double>(s) - 2.0 * static_cast<double>(spread_);
        dotRows_.reserve(static_cast<std::size_t>(s));
        for (std::int64_t r = 0; r < s; ++r) {
            dotRows_.push_back(circleRow(s, diameter, r));
        }
    }
}

bool DarkSpans::darkModule(std::int64_t i, std::int64_t j) const noexcept
{
    return i >= 0 && j >= 0 && i < layout_.rows && j < layout_.columns &&
           view_.dark(static_cast<int>(i), static_cast<int>(j));
}

DarkSpans::Band DarkSpans::band(std::int64_t r) const noexcept
{
    if (r < spread_) {
        return Band::Top;
    }
    return r >= layout_.moduleSize - spread_ ? Band::Bottom : Band::Middle;
}

std::int64_t DarkSpans::rowKey(std::int64_t y) const noexcept
{
    const std::int64_t dy = y - layout_.top;
    const std::int64_t s = layout_.moduleSize;
    if (dy < 0 || dy >= layout_.symbolHeight()) {
        return -1;
    }
    if (layout_.marks.dotDiameter) {
        return dy;
    }
    return 3 * (dy / s) + static_cast<std::int64_t>(band(dy % s));
}

std::int64_t DarkSpans::rowsAlike(std::int64_t y) const noexcept
{
    const std::int64_t dy = y - layout_.top;
    const std::int64_t s = layout_.moduleSize;
    if (dy < 0) {
        return -dy;
    }
    if (dy >= layout_.symbolHeight()) {
        return std::max<std::int64_t>(layout_.height - y, 1);
    }
    if (layout_.marks.dotDiameter) {
        return 1;
    }
    const std::int64_t r = dy % s;
    switch (band(r)) {
    case Band::Top: return spread_ - r;
    case Band::Middle: return s - spread_ - r;
    case Band::Bottom: break;
    }
    return s - r;
}

std::pair<std::int64_t, std::int64_t> DarkSpans::squarePart(std::int64_t i, std::int64_t j, std::int64_t r) const noexcept
{
    const std::int64_t s = layout_.moduleSize;
    const Band b = band(r);
    // The row of modules above or below that a top or bottom band borders.
    const std::int64_t beside = b == Band::Top ? i - 1 : i + 1;
    if (b != Band::Middle && !darkModule(beside, j)) {
        return {0, 0};
    }
    const bool leftJoined = darkModule(i, j - 1) && (b == Band::Middle || darkModule(beside, j - 1));
    const bool rightJoined = darkModule(i, j + 1) && (b == Band::Middle || darkModule(beside, j + 1));
    return {leftJoined ? 0 : spread_, rightJoined ? s : s - spread_};
}

void DarkSpans::row(std::int64_t y, std::vector<PixelSpan>& spans) const
{
    spans.clear();
    const std::int64_t dy = y - layout_.top;
    if (dy < 0 || dy >= layout_.symbolHeight()) {
        return;
    }
    const std::int64_t s = layout_.moduleSize;
    const std::int64_t i = dy / s;
    const std::int64_t r = dy % s;
    if (spread_ == 0 && dotRows_.empty()) {
        plainRow(i, spans);
        return;
    }
    for (std::int64_t j = 0; j < layout_.columns; ++j) {
        if (!darkModule(i, j)) {
            continue;
        }
        const auto [first, end] = dotRows_.empty() ? squarePart(i, j, r) : dotRows_[static_cast<std::size_t>(r)];
        if (first >= end) {
            continue;
        }
        const std::int64_t x = layout_.left + j * s;
        if (!spans.empty() && spans.back().end == x + first) {
            spans.back().end = x + end;
        } else {
            spans.push_back({x + first, x + end});
        }
    }
}

// Whole squares: each run of dark modules in the row is one span.
void DarkSpans::plainRow(std::int64_t i, std::vector<PixelSpan>& spans) const
{
    const std::int64_t s = layout_.moduleSize;
    const auto row = static_cast<int>(i);
    const auto columns = static_cast<int>(layout_.columns);
    for (int j = 0; j < columns;) {
        if (!view_.dark(row, j)) {
            ++j;
            continue;
        }
        const int first = j;
        while (j < columns && view_.dark(row, j)) {
            ++j;
        }
        spans.push_back({layout_.left + first * s, layout_.left + j * s});
    }
}

bool DarkSpans::dark(std::int64_t x, std::int64_t y) const
{
    std::vector<PixelSpan> spans;
    row(y, spans);
    for (const PixelSpan& span : spans) {
        if (x >= span.begin && x < span.end) {
            return true;
        }
    }
    return false;
}

}  // namespace korvel
