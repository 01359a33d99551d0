// The hexadecimal decoder and the RawData conversions: a decoded text encodes back to its
// digits, and a byte array gives back exactly its elements.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdlib>

#include "component/signing/HexText.h"
#include "component/signing/RawData.h"
#include "tests/fuzz/FuzzVariants.h"

namespace {

void CheckHexText(std::string_view text) {
    std::vector<uint8_t> bytes;
    if (!DecodeHexText(text, bytes)) {
        return;
    }
    std::string digits(text.substr(0, text.size() & ~size_t{1}));
    for (char& c : digits) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (EncodeHexText(bytes.data(), bytes.size()) != digits) {
        std::abort();
    }
}

// A lone one-dimensional byte array converts to its elements, in order.
void CheckByteArray(const VARIANT& raw, TZentorError outcome, const std::vector<uint8_t>& bytes) {
    if (raw.vt != (VT_ARRAY | VT_UI1) || raw.parray == nullptr ||
        SafeArrayGetDim(raw.parray) != 1) {
        return;
    }
    const ULONG count = raw.parray->rgsabound[0].cElements;
    if ((count > 0) != (outcome == ZTNoError) || (count > 0 && bytes.size() != count)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool()) {
        CheckHexText(input.ConsumeRemainingBytesAsString());
        return 0;
    }
    norva::fuzz::CVariantMaker maker(input);
    const bool hexadecimal = input.ConsumeBool();
    const VARIANT& raw = maker.Make();
    std::vector<uint8_t> bytes{1, 2, 3};
    const TZentorError outcome = RawDataBytes(raw, hexadecimal, bytes);
    if (outcome != ZTNoError && outcome != ZTInvalidDataType) {
        std::abort();
    }
    CheckByteArray(raw, outcome, bytes);
    return 0;
}
