#include "korvel/vector_writer.hpp"

#include <new>

#include "vector/eps_writer.hpp"
#include "vector/pdf_writer.hpp"
#include "vector/svg_writer.hpp"
#include "vector/vector_picture.hpp"

namespace korvel {
namespace {

using DocumentWriter = Outcome (*)(const VectorPicture&, std::string&);

// A writer that cannot refuse a picture.
template <std::string (*make)(const VectorPicture&)>
Outcome always(const VectorPicture& picture, std::string& document)
{
    document = make(picture);
    return ResultCode::Ok;
}

// The whole document, made before anything is written.
Outcome makeDocument(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                     DocumentWriter writer, std::string& document)
{
    try {
        VectorPicture picture;
        if (Outcome made = makeVectorPicture(symbol, render, vector, picture); !made.ok()) {
            return made;
        }
        return writer(picture, document);
    } catch (const std::bad_alloc&) {
        return ResultCode::UnknownException;
    }
}

Outcome send(const std::string& document, const ByteSink& sink)
{
    bool stored = false;
    try {
        stored = sink({reinterpret_cast<const std::uint8_t*>(document.data()), document.size()});
    } catch (...) {
        stored = false;
    }
    return stored ? ResultCode::Ok : ResultCode::Fail;
}

Outcome writeTo(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                DocumentWriter writer, const ByteSink& sink)
{
    std::string document;
    if (Outcome made = makeDocument(symbol, render, vector, writer, document); !made.ok()) {
        return made;
    }
    return send(document, sink);
}

Outcome writeToFile(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                    DocumentWriter writer, const std::string& path)
{
    std::string document;
    if (Outcome made = makeDocument(symbol, render, vector, writer, document); !made.ok()) {
        return made;
    }
    return writeFile(path, [&document](const ByteSink& sink) { return send(document, sink); });
}

}  // namespace

Outcome writeSvg(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector, const ByteSink& sink)
{
    return writeTo(symbol, render, vector, always<svgDocument>, sink);
}

Outcome writeEps(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector, const ByteSink& sink)
{
    return writeTo(symbol, render, vector, always<epsDocument>, sink);
}

Outcome writePdf(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector, const ByteSink& sink)
{
    return writeTo(symbol, render, vector, pdfDocument, sink);
}

Outcome writeSvgFile(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                     const std::string& path)
{
    return writeToFile(symbol, render, vector, always<svgDocument>, path);
}

Outcome writeEpsFile(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                     const std::string& path)
{
    return writeToFile(symbol, render, vector, always<epsDocument>, path);
}

Outcome writePdfFile(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                     const std::string& path)
{
    return writeToFile(symbol, render, vector, pdfDocument, path);
}

}  // namespace korvel
