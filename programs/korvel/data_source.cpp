#include "data_source.hpp"

#include <utility>

#include "batch/input_file.hpp"

namespace korvel {

Outcome loadInputData(const DataSource& source, SymbolOptions& symbol)
{
    if (!source.inputPath) {
        return ResultCode::Ok;
    }
    std::string data;
    if (Outcome read = readDataFile(*source.inputPath, data); !read.ok()) {
        return read;
    }
    if (source.dropInputLineEnd) {
        dropFinalLineEnd(data);
    }
    symbol.data = std::move(data);
    if (symbol.syntax == DataSyntax::TildeEscapes) {
        symbol.syntax = DataSyntax::Literal;  // GS1 and HIBC data keep their own reading
    }
    return ResultCode::Ok;
}

}  // namespace korvel
