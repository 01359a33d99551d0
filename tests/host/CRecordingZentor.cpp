#include "tests/host/CRecordingZentor.h"

#include <cstdio>

namespace norva::test {

namespace {

std::string Number(long long value) {
    return std::to_string(value);
}

std::string Join(const char* member, const std::vector<std::string>& arguments) {
    std::string line = member;
    if (arguments.empty()) {
        return line;
    }
    line += '(';
    for (size_t i = 0; i < arguments.size(); ++i) {
        line += (i == 0 ? "" : ", ") + arguments[i];
    }
    return line + ')';
}

BSTR CopyOf(const std::u16string& text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<UINT>(text.size()));
}

} // namespace

std::string Quoted(BSTR text) {
    if (text == nullptr) {
        return "null";
    }
    std::string out = "\"";
    const UINT length = SysStringLen(text);
    for (UINT i = 0; i < length; ++i) {
        const unsigned unit = static_cast<uint16_t>(text[i]);
        if (unit >= 0x20 && unit < 0x7F && unit != '"' && unit != '\\') {
            out += static_cast<char>(unit);
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04X", unit);
        out += escaped;
    }
    return out + '"';
}

std::string Quoted(const VARIANT& value) {
    if (V_VT(&value) != VT_BSTR) {
        return "VT_" + Number(V_VT(&value));
    }
    return "VT_BSTR " + Quoted(V_BSTR(&value));
}

HRESULT CRecordingZentor::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) &&
        !IsEqualIID(riid, IID_IZentor)) {
        return E_NOINTERFACE;
    }
    *object = static_cast<IZentor*>(this);
    AddRef();
    return S_OK;
}

ULONG CRecordingZentor::Release() {
    const ULONG left = --references_;
    if (left == 0 && deleteOnLastRelease) {
        delete this;
    }
    return left;
}

HRESULT CRecordingZentor::Record(const char* member, const std::vector<std::string>& arguments) {
    calls.push_back(Join(member, arguments));
    const auto failure = answers.failures.find(member);
    return failure == answers.failures.end() ? S_OK : failure->second;
}

HRESULT CRecordingZentor::GiveText(const char* member, const std::vector<std::string>& arguments,
                                   BSTR* out) {
    const HRESULT result = Record(member, arguments);
    if (FAILED(result)) {
        return result;
    }
    *out = CopyOf(answers.text);
    return result;
}

template <typename Value>
HRESULT CRecordingZentor::GiveValue(const char* member, const std::vector<std::string>& arguments,
                                    Value* out, Value value) {
    const HRESULT result = Record(member, arguments);
    if (SUCCEEDED(result)) {
        *out = value;
    }
    return result;
}

HRESULT CRecordingZentor::FormatToken(BSTR SOPassword, TZentorError* RetVal) {
    return GiveValue("FormatToken", {Quoted(SOPassword)}, RetVal, answers.retval);
}

HRESULT CRecordingZentor::ChangePIN(BSTR OldPIN, BSTR NewPIN, TZentorError* RetVal) {
    return GiveValue("ChangePIN", {Quoted(OldPIN), Quoted(NewPIN)}, RetVal, answers.retval);
}

HRESULT CRecordingZentor::InitPIN(BSTR NewPIN, BSTR SOPassword, TZentorError* RetVal) {
    return GiveValue("InitPIN", {Quoted(NewPIN), Quoted(SOPassword)}, RetVal, answers.retval);
}

HRESULT CRecordingZentor::GenerateKeys(BSTR PIN, TZentorError* RetVal) {
    return GiveValue("GenerateKeys", {Quoted(PIN)}, RetVal, answers.retval);
}

HRESULT CRecordingZentor::SignFile(BSTR PIN, BSTR FileName, BSTR Challenge, BSTR* Signed) {
    return GiveText("SignFile", {Quoted(PIN), Quoted(FileName), Quoted(Challenge)}, Signed);
}

HRESULT CRecordingZentor::SignData(BSTR PIN, VARIANT RawData, VARIANT_BOOL bConvertToBinary,
                                   BSTR* Signed) {
    return GiveText("SignData", {Quoted(PIN), Quoted(RawData), Number(bConvertToBinary)}, Signed);
}

HRESULT CRecordingZentor::get_FirstName(BSTR* pVal) {
    return GiveText("get_FirstName", {}, pVal);
}

HRESULT CRecordingZentor::put_FirstName(BSTR newVal) {
    return Record("put_FirstName", {Quoted(newVal)});
}

HRESULT CRecordingZentor::get_LastName(BSTR* pVal) {
    return GiveText("get_LastName", {}, pVal);
}

HRESULT CRecordingZentor::put_LastName(BSTR newVal) {
    return Record("put_LastName", {Quoted(newVal)});
}

HRESULT CRecordingZentor::get_Company(BSTR* pVal) {
    return GiveText("get_Company", {}, pVal);
}

HRESULT CRecordingZentor::put_Company(BSTR newVal) {
    return Record("put_Company", {Quoted(newVal)});
}

HRESULT CRecordingZentor::get_UserID(BSTR* pVal) {
    return GiveText("get_UserID", {}, pVal);
}

HRESULT CRecordingZentor::put_UserID(BSTR newVal) {
    return Record("put_UserID", {Quoted(newVal)});
}

HRESULT CRecordingZentor::get_CreateTime(BSTR* pVal) {
    return GiveText("get_CreateTime", {}, pVal);
}

HRESULT CRecordingZentor::get_UserCode(BSTR* pVal) {
    return GiveText("get_UserCode", {}, pVal);
}

HRESULT CRecordingZentor::put_UserCode(BSTR newVal) {
    return Record("put_UserCode", {Quoted(newVal)});
}

HRESULT CRecordingZentor::get_LastZTError(TZentorError* pVal) {
    return GiveValue("get_LastZTError", {}, pVal, answers.lastZTError);
}

HRESULT CRecordingZentor::get_PublicKey(BSTR* pVal) {
    return GiveText("get_PublicKey", {}, pVal);
}

HRESULT CRecordingZentor::get_TokensCount(LONG* pVal) {
    return GiveValue("get_TokensCount", {}, pVal, answers.tokensCount);
}

HRESULT CRecordingZentor::get_NorvaEFTTokensCount(LONG* pVal) {
    return GiveValue("get_NorvaEFTTokensCount", {}, pVal, answers.norvaEFTTokensCount);
}

HRESULT CRecordingZentor::get_DriversInstalled(VARIANT_BOOL* pVal) {
    return GiveValue("get_DriversInstalled", {}, pVal, answers.driversInstalled);
}

HRESULT CRecordingZentor::get_PKCS11Error(TPKCS11Error* pVal) {
    return GiveValue("get_PKCS11Error", {}, pVal, answers.pkcs11Error);
}

HRESULT CRecordingZentor::get_CardType(LONG* pVal) {
    return GiveValue("get_CardType", {}, pVal, answers.cardType);
}

HRESULT CRecordingZentor::put_CardType(LONG newVal) {
    return Record("put_CardType", {Number(newVal)});
}

HRESULT CRecordingZentor::DecryptAndSignData(BSTR PIN, VARIANT RawData,
                                             VARIANT_BOOL bConvertToBinary, BSTR* Signed) {
    return GiveText("DecryptAndSignData", {Quoted(PIN), Quoted(RawData), Number(bConvertToBinary)},
                    Signed);
}

HRESULT CRecordingZentor::get_SignFileCanceled(VARIANT_BOOL* pVal) {
    return GiveValue("get_SignFileCanceled", {}, pVal, answers.signFileCanceled);
}

HRESULT CRecordingZentor::SignFileData(BSTR PIN, BSTR FileContent, BSTR FileName, BSTR Challenge,
                                       BSTR* Signed) {
    return GiveText("SignFileData",
                    {Quoted(PIN), Quoted(FileContent), Quoted(FileName), Quoted(Challenge)},
                    Signed);
}

HRESULT CRecordingZentor::GenerateKeysCustom(BSTR PIN, BSTR KeyLength, TZentorError* RetVal) {
    return GiveValue("GenerateKeysCustom", {Quoted(PIN), Quoted(KeyLength)}, RetVal,
                     answers.retval);
}

HRESULT CRecordingZentor::FullFormatToken(BSTR NewPIN, BSTR SOPassword, BSTR UserID, BSTR FirstName,
                                          BSTR LastName, BSTR KeyLength, BSTR* pVal) {
    return GiveText("FullFormatToken",
                    {Quoted(NewPIN), Quoted(SOPassword), Quoted(UserID), Quoted(FirstName),
                     Quoted(LastName), Quoted(KeyLength)},
                    pVal);
}

} // namespace norva::test
