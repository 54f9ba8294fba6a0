// The whole way from symbol options to a finished symbol: the data text
// becomes data items, the items codewords, the codewords a module matrix.

#include <new>
#include <optional>
#include <string>
#include <variant>

#include "encodation/data_preparation.hpp"
#include "symbol/symbol_codewords.hpp"
#include "encodation/utf8_text.hpp"
#include "gs1/gs1_data_items.hpp"
#include "symbol/symbol_data.hpp"
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

// What the data text becomes: data items for the encoder and, for GS1 and
// HIBC data, what the symbol tells its caller about it.
struct PreparedData {
    DataItemList items;
    Gs1Data gs1;
    std::string humanReadable;
};

Outcome prepare(const SymbolOptions& options, PreparedData& out)
{
    switch (options.syntax) {
    case DataSyntax::Literal: out.items = literalItems(options.data); return {};
    case DataSyntax::Gs1: {
        Outcome parsed = parseGs1(options.data, options.gs1, out.gs1);
        if (parsed.ok()) {
            out.items = gs1DataItems(out.gs1, options.gs1Separator);
            out.humanReadable = gs1HumanReadable(out.gs1);
        }
        return parsed;
    }
    case DataSyntax::Hibc: {
        HibcData hibc;
        Outcome parsed = parseHibc(options.data, hibc);
        if (parsed.ok()) {
            out.items = hibcDataItems(hibc);
            out.humanReadable = hibcHumanReadable(hibc);
        }
        return parsed;
    }
    case DataSyntax::TildeEscapes: break;
    }
    out.items = prepareData(options.data);
    return {};
}

// The data as UTF-8 text when the options say so; ill-formed text is refused.
Outcome readUtf8(const SymbolOptions& options, DataItemList& items)
{
    if (!options.utf8) {
        return ResultCode::Ok;
    }
    auto text = utf8DataItems(items);
    if (const auto* invalid = std::get_if<InvalidUtf8>(&text)) {
        return {ResultCode::InvalidData, "ill-formed UTF-8 at byte " + std::to_string(invalid->byte) + " of the data"};
    }
    items = std::move(std::get<DataItemList>(text));
    return ResultCode::Ok;
}

// The data as a line of text for under the symbol: every item a printable
// ASCII character, none a ready codeword (FNC1, ECI, macro).
std::optional<std::string> printableText(const DataItemList& items)
{
    std::string text;
    text.reserve(items.size());
    for (const DataItem& item : items) {
        if (item.isCodeword || item.value < ' ' || item.value > '~') {
            return std::nullopt;
        }
        text += static_cast<char>(item.value);
    }
    return text;
}

}  // namespace

Outcome prepareSymbolData(const SymbolOptions& options, DataItemList& items)
{
    try {
        PreparedData data;
        if (Outcome prepared = prepare(options, data); !prepared.ok()) {
            return prepared;
        }
        items = std::move(data.items);
        return readUtf8(options, items);
    } catch (const std::bad_alloc&) {
        return ResultCode::UnknownException;
    }
}

Outcome encode(const SymbolOptions& options, Symbol& symbol)
{
    if (options.structuredAppend.enabled && !structuredAppendInRange(options.structuredAppend)) {
        return ResultCode::InvalidArgument;
    }
    if (options.minimal && options.mode != EncodingMode::Automatic) {
        return {ResultCode::InvalidArgument, "the minimal encodation chooses the schemes itself, in automatic mode only"};
    }
    const bool plainAscii = options.syntax == DataSyntax::Gs1 || options.syntax == DataSyntax::Hibc;
    if (options.utf8 && plainAscii) {
        return {ResultCode::InvalidArgument, "GS1 and HIBC data are plain ASCII, not UTF-8 text"};
    }
    try {
        PreparedData data;
        if (Outcome prepared = prepare(options, data); !prepared.ok()) {
            return prepared;
        }
        EncodationInput input{std::move(data.items), options.mode,  options.preferredFormat, options.structuredAppend,
                              options.shape,         options.dmre, options.minimal};
        if (Outcome read = readUtf8(options, input.items); !read.ok()) {
            return read;
        }
        Symbol made;
        made.gs1_ = std::move(data.gs1);
        made.hriText_ = plainAscii ? std::optional(data.humanReadable) : printableText(input.items);
        made.humanReadable_ = std::move(data.humanReadable);
        EncodationSummary summary;
        if (const ResultCode result = encodeData(std::move(input), made.codewords_, made.format_, &summary);
            result != ResultCode::Ok) {
            return result;
        }
        made.encodation_ = std::move(summary.segments);
        made.dataCodewordsUsed_ = summary.dataCodewordsUsed;
        made.matrix_.buildMatrix(made.format_, made.codewords_);
        symbol = std::move(made);
    } catch (const std::bad_alloc&) {
        return ResultCode::UnknownException;
    }
    return ResultCode::Ok;
}

}  // namespace korvel
