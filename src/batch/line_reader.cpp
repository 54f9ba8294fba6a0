#include "batch/line_reader.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace korvel {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

bool LineReader::refill()
{
    begin_ = 0;
    end_ = file_.read(buffer_);
    return end_ > 0;
}

bool LineReader::readUntilLineEnd(std::string& text)
{
    while (begin_ < end_ || refill()) {
        const char* from = buffer_.data() + begin_;
        const std::size_t available = end_ - begin_;
        const auto* lineFeed = static_cast<const char*>(std::memchr(from, '\n', available));
        const std::size_t length = lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - from) : available;
        const std::size_t room = kMaxDataBytes + 1 - std::min(text.size(), kMaxDataBytes + 1);
        text.append(from, std::min(length, room));
        begin_ += length;
        if (lineFeed != nullptr) {
            ++begin_;
            return true;
        }
    }
    return false;
}

bool LineReader::next(BatchLine& line)
{
    while (!ended_) {
        line.text.clear();
        const bool terminated = readUntilLineEnd(line.text);
        ended_ = !terminated;
        if (!file_.status().ok() || (!terminated && line.text.empty())) {
            ended_ = true;
            return false;
        }
        ++number_;
        if (!started_) {
            started_ = true;
            if (std::string_view(line.text).starts_with(kByteOrderMark)) {
                line.text.erase(0, kByteOrderMark.size());
            }
        }
        if (terminated && line.text.ends_with('\r')) {
            line.text.pop_back();
        }
        if (!line.text.empty()) {
            line.number = number_;
            return true;
        }
    }
    return false;
}

}  // namespace korvel
