// Members whose operations are not built yet. Each sets its results to their neutral
// values (empty text, ZTNoError) and answers E_NOTIMPL; the token administration and
// signing work replaces them one by one.
#include "component/CZentor.h"

namespace {

HRESULT NotYet(BSTR* text) {
    if (text != nullptr) {
        *text = SysAllocStringLen(nullptr, 0);
    }
    return E_NOTIMPL;
}

} // namespace

HRESULT CZentor::SignFile(BSTR, BSTR, BSTR, BSTR* HexBinarySignedData) {
    return NotYet(HexBinarySignedData);
}

HRESULT CZentor::SignFileData(BSTR, BSTR, BSTR, BSTR, BSTR* HexBinarySignedData) {
    return NotYet(HexBinarySignedData);
}

HRESULT CZentor::SignData(BSTR, VARIANT, VARIANT_BOOL, BSTR* HexBinarySignedData) {
    return NotYet(HexBinarySignedData);
}

HRESULT CZentor::DecryptAndSignData(BSTR, VARIANT, VARIANT_BOOL, BSTR* HexBinarySignedData) {
    return NotYet(HexBinarySignedData);
}

HRESULT CZentor::SignDataEx(BSTR, VARIANT, VARIANT_BOOL, BSTR* HexBinarySignedData, bool) {
    return NotYet(HexBinarySignedData);
}
