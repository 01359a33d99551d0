// The late-bound half of the dual interface. Invoke does not go through the type library:
// it is a fixed table of members (DispatchMembers) with their argument coercions. Only
// GetTypeInfo reads the type library, from the library file itself.
#include "component/CZentor.h"

#include <cstring>

#include "component/CNorvaDigitalIDIFModule.h"
#include "component/ComHandles.h"
#include "component/DispatchArguments.h"
#include "component/DispatchMembers.h"
#include "component/DispatchNames.h"

namespace {

// None, or exactly one: the value of a property put.
bool NamedArgumentsAllowed(const DISPPARAMS& params) {
    if (params.cNamedArgs == 0) {
        return true;
    }
    return params.cNamedArgs == 1 && params.rgdispidNamedArgs != nullptr &&
           params.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
}

// Stores the result with the type of its slot, whatever the member returned.
void StoreResult(ResultSlot slot, InvokeResult& value, VARIANT* out) {
    if (out == nullptr) {
        return;
    }
    out->vt = ResultType(slot);
    switch (slot) {
    case ResultSlot::Code:
        out->lVal = value.code;
        break;
    case ResultSlot::Pkcs11Code:
        out->lVal = static_cast<LONG>(value.pkcs11Code);
        break;
    case ResultSlot::Number:
        out->lVal = value.number;
        break;
    case ResultSlot::Text:
        out->bstrVal = value.text.Detach();
        break;
    case ResultSlot::Flag:
        out->boolVal = value.flag;
        break;
    case ResultSlot::None:
        break;
    }
}

void FillExceptionInfo(HRESULT hr, EXCEPINFO& info) {
    std::memset(&info, 0, sizeof info);
    info.scode = hr;
    ComRef<IErrorInfo> error;
    if (GetErrorInfo(0, error.Put()) != S_OK || !error) {
        return;
    }
    error->GetSource(&info.bstrSource);
    error->GetDescription(&info.bstrDescription);
    error->GetHelpFile(&info.bstrHelpFile);
    error->GetHelpContext(&info.dwHelpContext);
}

} // namespace

HRESULT CZentor::GetTypeInfoCount(UINT* pctinfo) {
    if (pctinfo == nullptr) {
        return E_POINTER;
    }
    ComRef<ITypeInfo> info;
    *pctinfo = SUCCEEDED(GetTypeInfo(0, 0, info.Put())) && info ? 1 : 0;
    return S_OK;
}

// Loaded afresh from the library file on every call; a platform without a type-library
// loader answers that it cannot load one.
HRESULT CZentor::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) {
    if (iTInfo != 0) {
        return DISP_E_BADINDEX;
    }
    if (ppTInfo == nullptr) {
        return E_POINTER;
    }
    *ppTInfo = nullptr;
    OleString path;
    if (!CNorvaDigitalIDIFModule::FilePath(path)) {
        return E_FAIL;
    }
    ComRef<ITypeLib> library;
    const HRESULT hr = LoadTypeLib(path.c_str(), library.Put());
    if (FAILED(hr)) {
        return hr;
    }
    return library->GetTypeInfoOfGuid(IID_IZentor, ppTInfo);
}

HRESULT CZentor::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
    if (cNames > 0 && (rgszNames == nullptr || rgDispId == nullptr)) {
        return E_POINTER;
    }
    for (UINT i = 0; i < cNames; ++i) {
        if (!FindDispatchId(rgszNames[i], rgDispId[i])) {
            return DISP_E_UNKNOWNNAME;
        }
    }
    return S_OK;
}

HRESULT CZentor::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) {
    if (pDispParams == nullptr) {
        return DISP_E_BADVARTYPE;
    }
    if (pDispParams->cArgs > kMaxDispatchArguments) {
        return DISP_E_BADPARAMCOUNT;
    }
    if (pVarResult != nullptr) {
        VariantInit(pVarResult);
    }
    if (!NamedArgumentsAllowed(*pDispParams)) {
        return DISP_E_NONAMEDARGS;
    }
    const MemberForm* form = SelectMemberForm(dispIdMember, wFlags);
    if (form == nullptr) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (pDispParams->cArgs != form->argCount) {
        return DISP_E_BADPARAMCOUNT;
    }
    DispatchArguments arguments;
    HRESULT hr = arguments.Coerce(*pDispParams, *form, puArgErr);
    if (FAILED(hr)) {
        return hr;
    }
    InvokeResult value;
    hr = form->call(*this, arguments.Values(), value);
    StoreResult(form->result, value, pVarResult);
    if (FAILED(hr) && pExcepInfo != nullptr) {
        FillExceptionInfo(hr, *pExcepInfo);
    }
    return hr;
}
