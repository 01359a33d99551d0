// A test double of the token component: it records every IZentor call with its arguments as
// the component receives them, and answers with programmed results and HRESULTs.
#pragma once

#include "component/IZentor.h"

#include <map>
#include <string>
#include <vector>

namespace norva::test {

struct ZentorAnswers {
    TZentorError retval = ZTNoError;
    // Every BSTR result (method out parameters and property gets).
    std::u16string text = u"text";
    LONG tokensCount = 0;
    LONG norvaEFTTokensCount = 0;
    LONG cardType = 0;
    VARIANT_BOOL driversInstalled = 0;
    VARIANT_BOOL signFileCanceled = 0;
    TZentorError lastZTError = ZTNoError;
    TPKCS11Error pkcs11Error{};
    // Members (by their C++ name, "get_CardType", "SignFile") that return an HRESULT.
    std::map<std::string, HRESULT> failures;
};

class CRecordingZentor : public IZentor {
public:
    ZentorAnswers answers;
    // One entry per call, for example `InitPIN("1234", "so")`, `SignData("", VT_BSTR "ab", 1)`,
    // `get_NorvaEFTTokensCount`. Text shows characters outside printable ASCII as \uXXXX and
    // a null BSTR as null.
    std::vector<std::string> calls;

    virtual ~CRecordingZentor() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return E_NOTIMPL;
    }

    STDMETHODIMP FormatToken(BSTR SOPassword, TZentorError* RetVal) override;
    STDMETHODIMP ChangePIN(BSTR OldPIN, BSTR NewPIN, TZentorError* RetVal) override;
    STDMETHODIMP InitPIN(BSTR NewPIN, BSTR SOPassword, TZentorError* RetVal) override;
    STDMETHODIMP GenerateKeys(BSTR PIN, TZentorError* RetVal) override;
    STDMETHODIMP SignFile(BSTR PIN, BSTR FileName, BSTR Challenge, BSTR* Signed) override;
    STDMETHODIMP SignData(BSTR PIN, VARIANT RawData, VARIANT_BOOL bConvertToBinary,
                          BSTR* Signed) override;
    STDMETHODIMP get_FirstName(BSTR* pVal) override;
    STDMETHODIMP put_FirstName(BSTR newVal) override;
    STDMETHODIMP get_LastName(BSTR* pVal) override;
    STDMETHODIMP put_LastName(BSTR newVal) override;
    STDMETHODIMP get_Company(BSTR* pVal) override;
    STDMETHODIMP put_Company(BSTR newVal) override;
    STDMETHODIMP get_UserID(BSTR* pVal) override;
    STDMETHODIMP put_UserID(BSTR newVal) override;
    STDMETHODIMP get_CreateTime(BSTR* pVal) override;
    STDMETHODIMP get_UserCode(BSTR* pVal) override;
    STDMETHODIMP put_UserCode(BSTR newVal) override;
    STDMETHODIMP get_LastZTError(TZentorError* pVal) override;
    STDMETHODIMP get_PublicKey(BSTR* pVal) override;
    STDMETHODIMP get_TokensCount(LONG* pVal) override;
    STDMETHODIMP get_NorvaEFTTokensCount(LONG* pVal) override;
    STDMETHODIMP get_DriversInstalled(VARIANT_BOOL* pVal) override;
    STDMETHODIMP get_PKCS11Error(TPKCS11Error* pVal) override;
    STDMETHODIMP get_CardType(LONG* pVal) override;
    STDMETHODIMP put_CardType(LONG newVal) override;
    STDMETHODIMP DecryptAndSignData(BSTR PIN, VARIANT RawData, VARIANT_BOOL bConvertToBinary,
                                    BSTR* Signed) override;
    STDMETHODIMP get_SignFileCanceled(VARIANT_BOOL* pVal) override;
    STDMETHODIMP SignFileData(BSTR PIN, BSTR FileContent, BSTR FileName, BSTR Challenge,
                              BSTR* Signed) override;
    STDMETHODIMP GenerateKeysCustom(BSTR PIN, BSTR KeyLength, TZentorError* RetVal) override;
    STDMETHODIMP FullFormatToken(BSTR NewPIN, BSTR SOPassword, BSTR UserID, BSTR FirstName,
                                 BSTR LastName, BSTR KeyLength, BSTR* pVal) override;

    // Objects made with new delete themselves on their last Release; others start with one
    // reference that nobody gives back.
    bool deleteOnLastRelease = false;

private:
    // Logs the call; returns the programmed failure of member, or S_OK.
    HRESULT Record(const char* member, const std::vector<std::string>& arguments = {});
    HRESULT GiveText(const char* member, const std::vector<std::string>& arguments, BSTR* out);
    template <typename Value>
    HRESULT GiveValue(const char* member, const std::vector<std::string>& arguments, Value* out,
                      Value value);

    ULONG references_ = 1;
};

// How CRecordingZentor writes a BSTR and a VARIANT argument in its log.
std::string Quoted(BSTR text);
std::string Quoted(const VARIANT& value);

} // namespace norva::test
