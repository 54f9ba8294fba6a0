#include "batch_progress.hpp"

#include <unistd.h>

#include <cmath>

namespace korvel {
namespace {

using namespace std::chrono_literals;

constexpr auto kFirstDraw = 1s;
constexpr auto kRedrawEvery = 200ms;
constexpr const char* kEraseLine = "\r\033[K";

// 0:06, 12:34 or 1:02:03.
std::string duration(double seconds)
{
    const auto total = static_cast<unsigned long long>(std::llround(seconds));
    char text[48];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", total / 3600, total / 60 % 60, total % 60);
    } else {
        std::snprintf(text, sizeof text, "%llu:%02llu", total / 60, total % 60);
    }
    return text;
}

}  // namespace

std::string progressText(std::uint64_t linesDone, std::optional<std::uint64_t> totalLines, double seconds)
{
    const double rate = seconds > 0 ? static_cast<double>(linesDone) / seconds : 0.0;
    std::string text = "korvel: " + std::to_string(linesDone);
    if (totalLines) {
        text += " of " + std::to_string(*totalLines);
    }
    char rateText[48];
    std::snprintf(rateText, sizeof rateText, " lines, %.0f lines/s", rate);
    text += rateText;
    if (totalLines && rate > 0 && *totalLines >= linesDone) {
        text += ", " + duration(static_cast<double>(*totalLines - linesDone) / rate) + " left";
    }
    return text;
}

BatchProgress::BatchProgress(std::FILE* stream, std::optional<std::uint64_t> totalLines)
    : stream_(stream),
      terminal_(isatty(fileno(stream)) == 1),
      total_(totalLines),
      start_(Clock::now()),
      nextDraw_(start_ + kFirstDraw)
{
}

void BatchProgress::update(std::uint64_t linesDone)
{
    if (!terminal_) {
        return;
    }
    const Clock::time_point now = Clock::now();
    if (now < nextDraw_) {
        return;
    }
    nextDraw_ = now + kRedrawEvery;
    const std::string text = progressText(linesDone, total_, std::chrono::duration<double>(now - start_).count());
    std::fprintf(stream_, "\r%s\033[K", text.c_str());
    std::fflush(stream_);
    visible_ = true;
}

void BatchProgress::clear()
{
    if (visible_) {
        std::fputs(kEraseLine, stream_);
        std::fflush(stream_);
        visible_ = false;
    }
}

}  // namespace korvel
