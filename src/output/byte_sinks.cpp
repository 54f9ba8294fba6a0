#include <ostream>

#include "korvel/output.hpp"

namespace korvel {

ByteSink bufferSink(std::vector<std::uint8_t>& buffer)
{
    return [&buffer](std::span<const std::uint8_t> bytes) {
        try {
            buffer.insert(buffer.end(), bytes.begin(), bytes.end());
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    };
}

ByteSink streamSink(std::ostream& stream)
{
    return [&stream](std::span<const std::uint8_t> bytes) {
        try {
            return static_cast<bool>(stream.write(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<std::streamsize>(bytes.size())));
        } catch (...) {
            return false;
        }
    };
}

ByteSink fileSink(std::FILE* file)
{
    return [file](std::span<const std::uint8_t> bytes) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    };
}

}  // namespace korvel
