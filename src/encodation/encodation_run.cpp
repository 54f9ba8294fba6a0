#include "encodation/encodation_run.hpp"

#include "encodation/scheme_encoders.hpp"

namespace korvel {

bool encodeRun(EncodingMode scheme, const DataItemList& run, bool finalSegment, CodewordString& out)
{
    if (run.empty()) {
        return true;
    }
    switch (scheme) {
    case Ascii: encodeAscii(run, out); return true;
    case C40: encodeC40Text(run, true, out); return true;
    case Text: encodeC40Text(run, false, out); return true;
    case Base256: return encodeBase256(run, out);
    case Edifact: return encodeEdifact(run, finalSegment, out);
    case X12: return encodeX12(run, finalSegment, out);
    case Automatic: break;
    }
    return false;
}

bool schemeEncodes(EncodingMode scheme, std::uint8_t c)
{
    switch (scheme) {
    case X12: return isX12Char(c);
    case Edifact: return isEdifactChar(c);
    case Automatic: return false;
    default: return true;
    }
}

}  // namespace korvel
