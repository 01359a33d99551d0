// Members whose operations are not built yet. Each sets its results to their neutral
// values (empty text, ZTNoError) and answers E_NOTIMPL; the token administration and
// signing work replaces them one by one.
#include "component/CZentor.h"

namespace {

HRESULT NotYet(TZentorError* result) {
    if (result != nullptr) {
        *result = ZTNoError;
    }
    return E_NOTIMPL;
}

HRESULT NotYet(BSTR* text) {
    if (text != nullptr) {
        *text = SysAllocStringLen(nullptr, 0);
    }
    return E_NOTIMPL;
}

} // namespace

HRESULT CZentor::FormatToken(BSTR, TZentorError* RetVal) {
    return NotYet(RetVal);
}

HRESULT CZentor::ChangePIN(BSTR, BSTR, TZentorError* RetVal) {
    return NotYet(RetVal);
}

HRESULT CZentor::InitPIN(BSTR, BSTR, TZentorError* RetVal) {
    return NotYet(RetVal);
}

HRESULT CZentor::GenerateKeys(BSTR, TZentorError* RetVal) {
    return NotYet(RetVal);
}

HRESULT CZentor::GenerateKeysCustom(BSTR, BSTR, TZentorError* RetVal) {
    return NotYet(RetVal);
}

HRESULT CZentor::FullFormatToken(BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR* pVal) {
    return NotYet(pVal);
}

HRESULT CZentor::get_FirstName(BSTR* pVal) {
    return NotYet(pVal);
}

HRESULT CZentor::put_FirstName(BSTR) {
    return E_NOTIMPL;
}

HRESULT CZentor::get_LastName(BSTR* pVal) {
    return NotYet(pVal);
}

HRESULT CZentor::put_LastName(BSTR) {
    return E_NOTIMPL;
}

HRESULT CZentor::get_Company(BSTR* pVal) {
    return NotYet(pVal);
}

HRESULT CZentor::put_Company(BSTR) {
    return E_NOTIMPL;
}

HRESULT CZentor::get_UserID(BSTR* pVal) {
    return NotYet(pVal);
}

HRESULT CZentor::put_UserID(BSTR) {
    return E_NOTIMPL;
}

HRESULT CZentor::get_UserCode(BSTR* pVal) {
    return NotYet(pVal);
}

HRESULT CZentor::put_UserCode(BSTR) {
    return E_NOTIMPL;
}

HRESULT CZentor::get_CreateTime(BSTR* pVal) {
    return NotYet(pVal);
}

HRESULT CZentor::get_PublicKey(BSTR* pVal) {
    return NotYet(pVal);
}
