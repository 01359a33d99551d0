#include "component/CZentorFactory.h"

#include "component/CNorvaDigitalIDIFModule.h"
#include "component/CZentor.h"

CZentorFactory& CZentorFactory::Instance() {
    static CZentorFactory factory;
    return factory;
}

HRESULT CZentorFactory::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

// Counted for the callers' sake only: the object itself lives as long as the module.
ULONG CZentorFactory::AddRef() {
    return refCount.fetch_add(1) + 1;
}

// Never below zero, whatever a caller releases too often.
ULONG CZentorFactory::Release() {
    ULONG current = refCount.load();
    while (current > 0 && !refCount.compare_exchange_weak(current, current - 1)) {
    }
    return current > 0 ? current - 1 : 0;
}

HRESULT CZentorFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) {
    return CZentor::Create(pUnkOuter, riid, ppvObject);
}

HRESULT CZentorFactory::LockServer(BOOL fLock) {
    if (fLock) {
        CNorvaDigitalIDIFModule::Lock();
    } else {
        CNorvaDigitalIDIFModule::Unlock();
    }
    return S_OK;
}

HRESULT GetZentorClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_CZentor)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return CZentorFactory::Instance().QueryInterface(riid, ppv);
}
