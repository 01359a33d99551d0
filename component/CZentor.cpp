// The CZentor object: construction and destruction, its interface map and reference
// counts (plain and aggregated forms), and the simple members that only read its state.
#include "component/CZentor.h"

#include <new>
#include <utility>

#include "component/CNorvaDigitalIDIFModule.h"
#include "component/NoThrow.h"

CZentor::CZentor(IUnknown* controlling, std::unique_ptr<IUploadPrompt> userPrompt)
    : prompt(userPrompt ? std::move(userPrompt) : CreateUserPrompt()), outer(controlling) {
    CNorvaDigitalIDIFModule::Lock();
}

CZentor::~CZentor() {
    // The driver goes before the module lets go of its lock.
    access.Release();
    CNorvaDigitalIDIFModule::Unlock();
}

HRESULT CZentor::Create(IUnknown* outerObject, REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (outerObject != nullptr && !IsEqualIID(riid, IID_IUnknown)) {
        return CLASS_E_NOAGGREGATION;
    }
    std::unique_ptr<IUploadPrompt> userPrompt;
    const HRESULT prompted = NoThrow([&] {
        userPrompt = CreateUserPrompt();
        return S_OK;
    });
    if (FAILED(prompted)) {
        return prompted;
    }
    auto* object = new (std::nothrow) CZentor(outerObject, std::move(userPrompt));
    if (object == nullptr) {
        return E_OUTOFMEMORY;
    }
    // The own IUnknown answers without delegating, so the new object's count goes to 1
    // (or the object goes again when riid is not offered).
    IUnknown* own = object->OwnUnknown();
    own->AddRef();
    const HRESULT hr = own->QueryInterface(riid, ppv);
    own->Release();
    return hr;
}

// Interface map: IZentor and IDispatch share the primary pointer; IUnknown is the
// object's identity, which for an aggregated object is its own non-delegating one.
HRESULT CZentor::OwnQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *ppv = outer != nullptr ? static_cast<IUnknown*>(&ownUnknown)
                                : static_cast<IUnknown*>(static_cast<IZentor*>(this));
    } else if (IsEqualIID(riid, IID_IZentor) || IsEqualIID(riid, IID_IDispatch)) {
        *ppv = static_cast<IZentor*>(this);
    } else if (IsEqualIID(riid, IID_IObjectSafety)) {
        *ppv = static_cast<IObjectSafety*>(this);
    } else if (IsEqualIID(riid, IID_IProvideClassInfo)) {
        *ppv = static_cast<IProvideClassInfo*>(this);
    } else {
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*ppv)->AddRef();
    return S_OK;
}

ULONG CZentor::OwnAddRef() {
    return ++refCount;
}

ULONG CZentor::OwnRelease() {
    const ULONG remaining = --refCount;
    if (remaining == 0) {
        delete this;
    }
    return remaining;
}

HRESULT CZentor::QueryInterface(REFIID riid, void** ppv) {
    return outer != nullptr ? outer->QueryInterface(riid, ppv) : OwnQueryInterface(riid, ppv);
}

ULONG CZentor::AddRef() {
    return outer != nullptr ? outer->AddRef() : OwnAddRef();
}

ULONG CZentor::Release() {
    return outer != nullptr ? outer->Release() : OwnRelease();
}

HRESULT CZentor::NonDelegatingUnknown::QueryInterface(REFIID riid, void** ppv) {
    return self.OwnQueryInterface(riid, ppv);
}

ULONG CZentor::NonDelegatingUnknown::AddRef() {
    return self.OwnAddRef();
}

ULONG CZentor::NonDelegatingUnknown::Release() {
    return self.OwnRelease();
}

HRESULT CZentor::get_LastZTError(TZentorError* pVal) {
    if (pVal == nullptr) {
        return E_POINTER;
    }
    const CTokenAccess::CSessionScope scope(access); // reading the result ends the session
    *pVal = LastZTError;
    return S_OK;
}

HRESULT CZentor::get_PKCS11Error(TPKCS11Error* pVal) {
    if (pVal == nullptr) {
        return E_POINTER;
    }
    const CTokenAccess::CSessionScope scope(access); // reading the result ends the session
    *pVal = access.LastDriverResult();
    return S_OK;
}

HRESULT CZentor::get_CardType(LONG* pVal) {
    if (pVal == nullptr) {
        return E_POINTER;
    }
    *pVal = access.CardType();
    return S_OK;
}

HRESULT CZentor::get_SignFileCanceled(VARIANT_BOOL* pVal) {
    if (pVal == nullptr) {
        return E_POINTER;
    }
    *pVal = SignFileCanceled ? 1 : 0;
    return S_OK;
}
