// The class object of CZentor: one per module, created on first request and kept until
// the library unloads. Its own references do not hold the module; LockServer does.
#pragma once

#include <atomic>

#include "platform/WinApi.h"

class CZentorFactory : public IClassFactory {
public:
    // The module's one class object.
    static CZentorFactory& Instance();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                             void** ppvObject) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override;

private:
    CZentorFactory() = default;
    std::atomic<ULONG> refCount{0}; // callers of any apartment
};

// DllGetClassObject: the class object for CZentor's class identifier, asked for riid.
HRESULT GetZentorClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
