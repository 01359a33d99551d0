// The thread's error object: SetErrorInfo stores it, GetErrorInfo hands it over once.
#include "platform/WinApi.h"

namespace {
thread_local IErrorInfo* currentError = nullptr;
}

HRESULT SetErrorInfo(ULONG, IErrorInfo* perrinfo) {
    if (perrinfo != nullptr) {
        perrinfo->AddRef();
    }
    IErrorInfo* previous = currentError;
    currentError = perrinfo;
    if (previous != nullptr) {
        previous->Release();
    }
    return S_OK;
}

HRESULT GetErrorInfo(ULONG, IErrorInfo** pperrinfo) {
    if (pperrinfo == nullptr) {
        return E_INVALIDARG;
    }
    *pperrinfo = currentError;
    currentError = nullptr;
    return *pperrinfo != nullptr ? S_OK : S_FALSE;
}
