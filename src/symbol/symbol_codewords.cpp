#include "symbol/symbol_codewords.hpp"

#include <utility>

#include "ecc/reed_solomon.hpp"

namespace korvel {

ResultCode encodeData(EncodationInput input, CodewordString& codewords, SymbolFormat& format,
                      EncodationSummary* summary)
{
    if (const ResultCode encoded = encodeDataCodewords(std::move(input), codewords, format, summary);
        encoded != ResultCode::Ok) {
        return encoded;
    }
    return appendErrorCorrection(format, codewords) ? ResultCode::Ok : ResultCode::ReedSolomonFailed;
}

}  // namespace korvel
