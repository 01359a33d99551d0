// What the object tells script hosts about its safety (IObjectSafety), and the type
// information of its class (IProvideClassInfo).
#include "component/CZentor.h"

#include "component/ComHandles.h"

namespace {

constexpr DWORD kSafeForCaller = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
constexpr DWORD kSafeForData = INTERFACESAFE_FOR_UNTRUSTED_DATA;

// The option an interface can be marked safe for: scripting through IDispatch, or
// initialisation from persisted data. None for any other interface.
DWORD OptionFor(REFIID riid) {
    if (IsEqualIID(riid, IID_IDispatch)) {
        return kSafeForCaller;
    }
    if (IsEqualIID(riid, IID_IPersistStreamInit) || IsEqualIID(riid, IID_IPersistStorage)) {
        return kSafeForData;
    }
    return 0;
}

} // namespace

HRESULT CZentor::GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions,
                                           DWORD* pdwEnabledOptions) {
    OutputDebugStringA("CObjectSafetyImpl::GetInterfaceSafetyOptions\n");
    if (pdwSupportedOptions == nullptr || pdwEnabledOptions == nullptr) {
        return E_FAIL;
    }
    ComRef<IUnknown> supported;
    if (QueryInterface(riid, supported.PutVoid()) == E_NOINTERFACE) {
        return E_NOINTERFACE;
    }
    const DWORD option = OptionFor(riid);
    *pdwSupportedOptions = option;
    *pdwEnabledOptions = safetyOptions & option;
    return option != 0 ? S_OK : E_FAIL;
}

// Options are only ever added; the answer says whether the interface's own option is now on.
HRESULT CZentor::SetInterfaceSafetyOptions(REFIID riid, DWORD dwOptionSetMask,
                                           DWORD dwEnabledOptions) {
    OutputDebugStringA("CObjectSafetyImpl::SetInterfaceSafetyOptions\n");
    if (dwOptionSetMask == 0 && dwEnabledOptions == 0) {
        return E_FAIL;
    }
    ComRef<IUnknown> supported;
    if (QueryInterface(riid, supported.PutVoid()) == E_NOINTERFACE) {
        return E_NOINTERFACE;
    }
    safetyOptions |= dwOptionSetMask & dwEnabledOptions;
    const DWORD option = OptionFor(riid);
    return option != 0 && (safetyOptions & option) != 0 ? S_OK : E_FAIL;
}

// From the registered type library, version 1.0.
HRESULT CZentor::GetClassInfo(ITypeInfo** ppTI) {
    if (ppTI == nullptr) {
        return E_POINTER;
    }
    *ppTI = nullptr;
    ComRef<ITypeLib> library;
    const HRESULT hr = LoadRegTypeLib(LIBID_NorvaDigitalIDIF, 1, 0, 0, library.Put());
    if (FAILED(hr)) {
        return hr;
    }
    return library->GetTypeInfoOfGuid(CLSID_CZentor, ppTI);
}
