// Helpers shared by the platform tests: owning wrappers and a counting COM object.
#pragma once

#include "platform/OwnedBstr.h"
#include "platform/OwnedVariant.h"
#include "platform/WinApi.h"

#include <string>

namespace norva::test {

// The text of a BSTR including embedded zeros, as a UTF-16 string.
inline std::u16string TextOf(BSTR value) {
    return std::u16string(reinterpret_cast<const char16_t*>(value), SysStringLen(value));
}

// ASCII text as UTF-16.
inline std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

inline BSTR MakeBstr(const std::u16string& text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<UINT>(text.size()));
}

// An IUnknown that counts its references and answers only IUnknown.
class CountingUnknown : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) {
            return E_POINTER;
        }
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown)) {
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    ULONG references = 1;
};

} // namespace norva::test
