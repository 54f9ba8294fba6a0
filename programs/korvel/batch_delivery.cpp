#include "batch_delivery.hpp"

#include <cstdio>
#include <utility>

#include "common/byte_text.hpp"
#include "usage_text.hpp"

namespace korvel {

void BatchMessages::lineFailed(std::uint64_t number, const Outcome& outcome)
{
    if (firstFailure_ == ResultCode::Ok) {
        firstFailure_ = outcome.code;
    }
    print("line " + std::to_string(number) + ": " + outcomeMessage(outcome));
}

int BatchMessages::runFailed(const Outcome& outcome)
{
    print(outcomeMessage(outcome));
    return static_cast<int>(outcome.code);
}

void BatchMessages::print(const std::string& message)
{
    progress_.clear();
    if (!bannerShown_) {
        std::fprintf(stderr, "%s\n", kBannerLine);
        bannerShown_ = true;
    }
    std::fprintf(stderr, "%s\n", printableText(message).c_str());
    std::fflush(stderr);
}

void BatchTexts::keep(std::uint64_t line, LineTexts texts)
{
    const std::lock_guard lock(mutex_);
    pending_[line] = std::move(texts);
}

LineTexts BatchTexts::take(std::uint64_t line)
{
    const std::lock_guard lock(mutex_);
    const auto found = pending_.find(line);
    if (found == pending_.end()) {
        return {};
    }
    LineTexts texts = std::move(found->second);
    pending_.erase(found);
    return texts;
}

}  // namespace korvel
