// A program outside the korvel tree, built against an installed korvel: it
// encodes the digits 123456 in ASCII, prints the codewords and the module
// matrix, and writes the symbol as PNG to memory, to a stream and to a file,
// once through encode and the writers and once through the barcode object.

#include <korvel/korvel.hpp>

#include <cstdio>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

namespace {

int fail(const char* step, const korvel::Outcome& outcome)
{
    std::printf("%s failed: %s\n", step, korvel::outcomeMessage(outcome).c_str());
    return 1;
}

void printSymbol(const korvel::Symbol& symbol)
{
    std::printf("codewords:");
    for (const korvel::Codeword codeword : symbol.codewords()) {
        std::printf(" %u", static_cast<unsigned>(codeword));
    }
    const korvel::ModuleMatrix& matrix = symbol.matrix();
    std::printf("\nformat: %d\nmatrix: %d x %d\n", static_cast<int>(symbol.format().id), matrix.rows(),
                matrix.columns());
    for (int i = 0; i < matrix.rows(); ++i) {
        std::string row;
        for (int j = 0; j < matrix.columns(); ++j) {
            row += matrix.module(i, j) != 0 ? '#' : '.';
        }
        std::printf("%s\n", row.c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const char* pngPath = argc > 1 ? argv[1] : "consumer.png";
    korvel::SymbolOptions options;
    options.data = "123456";
    options.mode = korvel::EncodingMode::Ascii;
    korvel::Symbol symbol;
    if (const korvel::Outcome encoded = korvel::encode(options, symbol); !encoded.ok()) {
        return fail("encode", encoded);
    }
    printSymbol(symbol);

    korvel::RenderOptions render;
    render.moduleSize = 2.0;
    korvel::PngOptions png;
    png.compressionLevel = 9;
    png.time = 1772874303;  // 7 March 2026, 09:05:03 UTC
    std::vector<std::uint8_t> bytes;
    if (const auto written = korvel::writePng(symbol, render, png, korvel::bufferSink(bytes)); !written.ok()) {
        return fail("write to memory", written);
    }
    std::ostringstream stream;
    if (const auto written = korvel::writePng(symbol, render, png, korvel::streamSink(stream)); !written.ok()) {
        return fail("write to a stream", written);
    }
    if (const auto written = korvel::writePngFile(symbol, render, png, pngPath); !written.ok()) {
        return fail("write to a file", written);
    }

    // The barcode object makes the same image from the same properties.
    korvel::DataMatrixBarcode barcode;
    static_cast<void>(barcode.suspendUpdates(true));
    static_cast<void>(barcode.setData("123456"));
    static_cast<void>(barcode.setEncodingMode(korvel::EncodingMode::Ascii));
    if (const auto rc = barcode.suspendUpdates(false); rc != korvel::ResultCode::Ok) {
        return fail("barcode encoding", rc);
    }
    korvel::ImageSize size;
    if (const auto rc = barcode.getImageSize(2.0, size); rc != korvel::ResultCode::Ok) {
        return fail("getImageSize", rc);
    }
    korvel::PngCreator image(size.width, size.height, korvel::kWhite, 9);
    if (!image.allocate()) {
        return fail("allocate", korvel::ResultCode::CantInitializePngCreator);
    }
    if (const auto rc = barcode.draw(image, {0, size.width, 0, size.height}); rc != korvel::ResultCode::Ok) {
        return fail("draw", rc);
    }
    std::vector<std::uint8_t> viaBarcode;
    if (const auto rc = image.write(viaBarcode, png.time); rc != korvel::ResultCode::Ok) {
        return fail("barcode write", rc);
    }
    const bool same = stream.str() == std::string(bytes.begin(), bytes.end()) && viaBarcode == bytes;
    std::printf("image: %d x %d\npng: %zu bytes, stream %s\nmessage 10: %s\n", image.width(), image.height(),
                bytes.size(), same ? "identical" : "different", korvel::resultMessage(10U));
    return 0;
}
