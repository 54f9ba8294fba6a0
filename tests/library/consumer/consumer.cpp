// A program outside the korvel tree, built against an installed korvel: it
// encodes the digits 123456 in ASCII, prints the codewords and the module
// matrix, and writes the symbol as PNG to memory, to a stream and to a file.

#include <korvel/korvel.hpp>

#include <cstdio>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

namespace {

int fail(const char* step, korvel::ResultCode code)
{
    std::printf("%s failed: %s\n", step, korvel::resultMessage(code));
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* pngPath = argc > 1 ? argv[1] : "consumer.png";
    korvel::DataMatrixBarcode barcode;
    if (const auto rc = barcode.suspendUpdates(true); rc != korvel::ResultCode::Ok) {
        return fail("suspendUpdates", rc);
    }
    static_cast<void>(barcode.setData("123456"));
    static_cast<void>(barcode.setEncodingMode(korvel::Ascii));
    if (const auto rc = barcode.suspendUpdates(false); rc != korvel::ResultCode::Ok) {
        return fail("encoding", rc);
    }

    std::printf("codewords:");
    for (const korvel::Codeword codeword : barcode.codewords()) {
        std::printf(" %u", static_cast<unsigned>(codeword));
    }
    const korvel::ModuleMatrix& matrix = barcode.matrix();
    std::printf("\nformat: %d\nmatrix: %d x %d\n", static_cast<int>(barcode.format().id), matrix.viewRows(),
                matrix.viewColumns());
    for (int i = 0; i < matrix.viewRows(); ++i) {
        std::string row;
        for (int j = 0; j < matrix.viewColumns(); ++j) {
            row += matrix.moduleAt(i, j) != 0 ? '#' : '.';
        }
        std::printf("%s\n", row.c_str());
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
    const std::time_t when = 1772874303;  // 7 March 2026, 09:05:03 UTC
    std::vector<std::uint8_t> bytes;
    if (const auto rc = image.write(bytes, when); rc != korvel::ResultCode::Ok) {
        return fail("write to memory", rc);
    }
    std::ostringstream stream;
    if (const auto rc = image.write(stream, when); rc != korvel::ResultCode::Ok) {
        return fail("write to a stream", rc);
    }
    std::FILE* file = std::fopen(pngPath, "wb");
    if (file == nullptr) {
        return fail("fopen", korvel::ResultCode::CantOpenOutputFile);
    }
    const korvel::ResultCode written = image.write(file, when);
    if (std::fclose(file) != 0 || written != korvel::ResultCode::Ok) {
        return fail("write to a file", korvel::ResultCode::CantCloseOutputFile);
    }
    const bool same = stream.str() == std::string(bytes.begin(), bytes.end());
    std::printf("image: %d x %d\npng: %zu bytes, stream %s\nmessage 10: %s\n", image.width(), image.height(),
                bytes.size(), same ? "identical" : "different", korvel::resultMessage(10U));
    return 0;
}
