// The whole way from symbol options to a finished symbol: the data text
// becomes data items, the items codewords, the codewords a module matrix.

#include <new>

#include "encodation/data_preparation.hpp"
#include "encodation/encodation_driver.hpp"
#include "korvel/symbol.hpp"

namespace korvel {
namespace {

bool structuredAppendInRange(const StructuredAppend& sequence)
{
    return sequence.total >= 2 && sequence.total <= 16 && sequence.position >= 1 &&
           sequence.position <= sequence.total && sequence.id >= 1 && sequence.id <= StructuredAppend::kMaxId;
}

DataItemList literalItems(std::string_view data)
{
    DataItemList items;
    items.reserve(data.size());
    for (const char c : data) {
        items.push_back({static_cast<std::uint8_t>(c), false});
    }
    return items;
}

DataItemList dataItems(const SymbolOptions& options)
{
    switch (options.syntax) {
    case DataSyntax::Literal: return literalItems(options.data);
    case DataSyntax::TildeEscapes: break;
    }
    return prepareData(options.data);
}

}  // namespace

Outcome encode(const SymbolOptions& options, Symbol& symbol)
{
    if (options.structuredAppend.enabled && !structuredAppendInRange(options.structuredAppend)) {
        return ResultCode::InvalidArgument;
    }
    try {
        EncodationInput input{dataItems(options), options.mode, options.preferredFormat, options.structuredAppend};
        Symbol made;
        if (const ResultCode result = encodeData(std::move(input), made.codewords_, made.format_);
            result != ResultCode::Ok) {
            return result;
        }
        made.matrix_.buildMatrix(made.format_, made.codewords_);
        symbol = std::move(made);
    } catch (const std::bad_alloc&) {
        return ResultCode::UnknownException;
    }
    return ResultCode::Ok;
}

}  // namespace korvel
