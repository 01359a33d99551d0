// The dual interface of the token component, in vtable order. The host and
// script clients see the same members through IDispatch (see CZentorDispatch).
#pragma once

#include "platform/WinApi.h"
#include "component/base/ZentorErrors.h"
#include "component/ZentorIds.h"

struct IZentor : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE FormatToken(BSTR SOPassword, TZentorError* RetVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE ChangePIN(BSTR OldPIN, BSTR NewPIN, TZentorError* RetVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE InitPIN(BSTR NewPIN, BSTR SOPassword,
                                              TZentorError* RetVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE GenerateKeys(BSTR PIN, TZentorError* RetVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE SignFile(BSTR PIN, BSTR FileName, BSTR Challenge,
                                               BSTR* HexBinarySignedData) = 0;
    virtual HRESULT STDMETHODCALLTYPE SignData(BSTR PIN, VARIANT RawData,
                                               VARIANT_BOOL bConvertToBinary,
                                               BSTR* HexBinarySignedData) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FirstName(BSTR* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FirstName(BSTR newVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LastName(BSTR* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_LastName(BSTR newVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Company(BSTR* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Company(BSTR newVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UserID(BSTR* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UserID(BSTR newVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CreateTime(BSTR* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UserCode(BSTR* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UserCode(BSTR newVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LastZTError(TZentorError* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PublicKey(BSTR* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TokensCount(LONG* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NorvaEFTTokensCount(LONG* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DriversInstalled(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PKCS11Error(TPKCS11Error* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CardType(LONG* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CardType(LONG newVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE DecryptAndSignData(BSTR PIN, VARIANT RawData,
                                                         VARIANT_BOOL bConvertToBinary,
                                                         BSTR* HexBinarySignedData) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SignFileCanceled(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE SignFileData(BSTR PIN, BSTR FileContent, BSTR FileName,
                                                   BSTR Challenge, BSTR* HexBinarySignedData) = 0;
    virtual HRESULT STDMETHODCALLTYPE GenerateKeysCustom(BSTR PIN, BSTR KeyLength,
                                                         TZentorError* RetVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE FullFormatToken(BSTR NewPIN, BSTR SOPassword, BSTR UserID,
                                                      BSTR FirstName, BSTR LastName, BSTR KeyLength,
                                                      BSTR* pVal) = 0;
};
