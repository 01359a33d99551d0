// The one automation object of the component. Its member bodies are spread by
// concern: CZentor.cpp (object, state, simple members), CZentorDispatch.cpp
// (late-bound IDispatch), CZentorTokenMembers.cpp (driver choice and counts), and the
// token operations of administration and signing. The token work itself is done by its
// CTokenAccess; the members adapt it to the interface.
#pragma once

#include <memory>

#include "platform/WinApi.h"
#include "component/IZentor.h"
#include "component/access/CTokenAccess.h"
#include "component/signing/IUploadPrompt.h"

class CZentor : public IZentor, public IObjectSafety, public IProvideClassInfo {
public:
    // A plain object when controlling is null; otherwise a part of the controlling object,
    // to which every interface but the object's own IUnknown delegates. `userPrompt` asks the
    // person to confirm an upload file before it is signed: the platform's prompt, which
    // the class factory always gives; tests hand in a double.
    explicit CZentor(IUnknown* controlling = nullptr,
                     std::unique_ptr<IUploadPrompt> userPrompt = CreateUserPrompt());
    CZentor(const CZentor&) = delete;
    CZentor& operator=(const CZentor&) = delete;

    // Creates an object answering riid; with an outer object only IUnknown may be asked
    // (CLASS_E_NOAGGREGATION otherwise), and the answer is the object's own IUnknown.
    static HRESULT Create(IUnknown* outer, REFIID riid, void** ppv);

    // The object's own IUnknown: its identity and lifetime, never delegated.
    IUnknown* OwnUnknown() { return &ownUnknown; }

    // IUnknown (delegating to the controlling object when aggregated)
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                                            LCID lcid, DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                     EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // IZentor, in vtable order
    HRESULT STDMETHODCALLTYPE FormatToken(BSTR SOPassword, TZentorError* RetVal) override;
    HRESULT STDMETHODCALLTYPE ChangePIN(BSTR OldPIN, BSTR NewPIN, TZentorError* RetVal) override;
    HRESULT STDMETHODCALLTYPE InitPIN(BSTR NewPIN, BSTR SOPassword, TZentorError* RetVal) override;
    HRESULT STDMETHODCALLTYPE GenerateKeys(BSTR PIN, TZentorError* RetVal) override;
    HRESULT STDMETHODCALLTYPE SignFile(BSTR PIN, BSTR FileName, BSTR Challenge,
                                       BSTR* HexBinarySignedData) override;
    HRESULT STDMETHODCALLTYPE SignData(BSTR PIN, VARIANT RawData, VARIANT_BOOL bConvertToBinary,
                                       BSTR* HexBinarySignedData) override;
    HRESULT STDMETHODCALLTYPE get_FirstName(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE put_FirstName(BSTR newVal) override;
    HRESULT STDMETHODCALLTYPE get_LastName(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE put_LastName(BSTR newVal) override;
    HRESULT STDMETHODCALLTYPE get_Company(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE put_Company(BSTR newVal) override;
    HRESULT STDMETHODCALLTYPE get_UserID(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE put_UserID(BSTR newVal) override;
    HRESULT STDMETHODCALLTYPE get_CreateTime(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_UserCode(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE put_UserCode(BSTR newVal) override;
    HRESULT STDMETHODCALLTYPE get_LastZTError(TZentorError* pVal) override;
    HRESULT STDMETHODCALLTYPE get_PublicKey(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_TokensCount(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_NorvaEFTTokensCount(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_DriversInstalled(VARIANT_BOOL* pVal) override;
    HRESULT STDMETHODCALLTYPE get_PKCS11Error(TPKCS11Error* pVal) override;
    HRESULT STDMETHODCALLTYPE get_CardType(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE put_CardType(LONG newVal) override;
    HRESULT STDMETHODCALLTYPE DecryptAndSignData(BSTR PIN, VARIANT RawData,
                                                 VARIANT_BOOL bConvertToBinary,
                                                 BSTR* HexBinarySignedData) override;
    HRESULT STDMETHODCALLTYPE get_SignFileCanceled(VARIANT_BOOL* pVal) override;
    HRESULT STDMETHODCALLTYPE SignFileData(BSTR PIN, BSTR FileContent, BSTR FileName,
                                           BSTR Challenge, BSTR* HexBinarySignedData) override;
    HRESULT STDMETHODCALLTYPE GenerateKeysCustom(BSTR PIN, BSTR KeyLength,
                                                 TZentorError* RetVal) override;
    HRESULT STDMETHODCALLTYPE FullFormatToken(BSTR NewPIN, BSTR SOPassword, BSTR UserID,
                                              BSTR FirstName, BSTR LastName, BSTR KeyLength,
                                              BSTR* pVal) override;

    // Class-only body shared by SignData and DecryptAndSignData. Its vtable slot comes
    // right after the 30 interface members, so the destructor is declared after it.
    virtual HRESULT STDMETHODCALLTYPE SignDataEx(BSTR PIN, VARIANT RawData,
                                                 VARIANT_BOOL bConvertToBinary,
                                                 BSTR* HexBinarySignedData, bool decryptFirst);
    virtual ~CZentor();

    // IObjectSafety
    HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions,
                                                        DWORD* pdwEnabledOptions) override;
    HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID riid, DWORD dwOptionSetMask,
                                                        DWORD dwEnabledOptions) override;

    // IProvideClassInfo
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) override;

private:
    // The non-delegating IUnknown of the object.
    class NonDelegatingUnknown : public IUnknown {
    public:
        explicit NonDelegatingUnknown(CZentor& object) : self(object) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;

    private:
        CZentor& self;
    };
    HRESULT OwnQueryInterface(REFIID riid, void** ppv);
    ULONG OwnAddRef();
    ULONG OwnRelease();

    // Object state, in the order the object keeps it. The driver and the last driver
    // result (PKCS11Error) are kept by the token access.
    CTokenAccess access;
    TZentorError LastZTError = ZTNoError;
    bool driversInstalled = false;
    bool SignFileCanceled = false;
    std::unique_ptr<IUploadPrompt> prompt;

    // Plain counts: all calls arrive on the thread of the object's apartment.
    ULONG refCount = 0;
    IUnknown* outer = nullptr; // the controlling object when aggregated
    NonDelegatingUnknown ownUnknown{*this};
    DWORD safetyOptions = 0; // INTERFACESAFE_* bits enabled by script hosts
};
