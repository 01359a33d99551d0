#include "component/DispatchMembers.h"

#include "component/ZentorMembers.h"

namespace {

struct MemberRow {
    DISPID id;
    MemberForm get; // the method, or the get of a property
    MemberForm put; // read/write properties only; kNoPut otherwise
};

BSTR Text(VARIANT* args, UINT i) {
    return args[i].bstrVal;
}

constexpr MemberForm kNoPut = {0, {}, ResultSlot::None, nullptr};

// Methods with a TZentorError result.
constexpr MemberForm kFormatToken = {
    1, {VT_BSTR}, ResultSlot::Code, [](IZentor& z, VARIANT* a, InvokeResult& r) {
        return z.FormatToken(Text(a, 0), &r.code);
    }};
constexpr MemberForm kChangePIN = {
    2, {VT_BSTR, VT_BSTR}, ResultSlot::Code, [](IZentor& z, VARIANT* a, InvokeResult& r) {
        return z.ChangePIN(Text(a, 0), Text(a, 1), &r.code);
    }};
constexpr MemberForm kInitPIN = {
    2, {VT_BSTR, VT_BSTR}, ResultSlot::Code, [](IZentor& z, VARIANT* a, InvokeResult& r) {
        return z.InitPIN(Text(a, 0), Text(a, 1), &r.code);
    }};
constexpr MemberForm kGenerateKeys = {
    1, {VT_BSTR}, ResultSlot::Code, [](IZentor& z, VARIANT* a, InvokeResult& r) {
        return z.GenerateKeys(Text(a, 0), &r.code);
    }};
constexpr MemberForm kGenerateKeysCustom = {
    2, {VT_BSTR, VT_BSTR}, ResultSlot::Code, [](IZentor& z, VARIANT* a, InvokeResult& r) {
        return z.GenerateKeysCustom(Text(a, 0), Text(a, 1), &r.code);
    }};

// Methods with a text result.
constexpr MemberForm kSignFile = {
    3, {VT_BSTR, VT_BSTR, VT_BSTR}, ResultSlot::Text, [](IZentor& z, VARIANT* a, InvokeResult& r) {
        return z.SignFile(Text(a, 0), Text(a, 1), Text(a, 2), r.text.Put());
    }};
constexpr MemberForm kSignData = {3,
                                  {VT_BSTR, kPassUnchanged, VT_BOOL},
                                  ResultSlot::Text,
                                  [](IZentor& z, VARIANT* a, InvokeResult& r) {
                                      return z.SignData(Text(a, 0), a[1], a[2].boolVal,
                                                        r.text.Put());
                                  }};
constexpr MemberForm kDecryptAndSignData = {3,
                                            {VT_BSTR, kPassUnchanged, VT_BOOL},
                                            ResultSlot::Text,
                                            [](IZentor& z, VARIANT* a, InvokeResult& r) {
                                                return z.DecryptAndSignData(
                                                    Text(a, 0), a[1], a[2].boolVal, r.text.Put());
                                            }};
constexpr MemberForm kSignFileData = {4,
                                      {VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR},
                                      ResultSlot::Text,
                                      [](IZentor& z, VARIANT* a, InvokeResult& r) {
                                          return z.SignFileData(Text(a, 0), Text(a, 1), Text(a, 2),
                                                                Text(a, 3), r.text.Put());
                                      }};
constexpr MemberForm kFullFormatToken = {6,
                                         {VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR},
                                         ResultSlot::Text,
                                         [](IZentor& z, VARIANT* a, InvokeResult& r) {
                                             return z.FullFormatToken(
                                                 Text(a, 0), Text(a, 1), Text(a, 2), Text(a, 3),
                                                 Text(a, 4), Text(a, 5), r.text.Put());
                                         }};

// Property gets and puts, by the member they call and where the value goes.
template <auto Get> HRESULT GetText(IZentor& z, VARIANT*, InvokeResult& r) {
    return (z.*Get)(r.text.Put());
}
template <auto Get> HRESULT GetNumber(IZentor& z, VARIANT*, InvokeResult& r) {
    return (z.*Get)(&r.number);
}
template <auto Get> HRESULT GetFlag(IZentor& z, VARIANT*, InvokeResult& r) {
    return (z.*Get)(&r.flag);
}
template <auto Put> HRESULT PutText(IZentor& z, VARIANT* a, InvokeResult&) {
    return (z.*Put)(Text(a, 0));
}

constexpr MemberForm TextGet(MemberCall call) {
    return {0, {}, ResultSlot::Text, call};
}
constexpr MemberForm TextPut(MemberCall call) {
    return {1, {VT_BSTR}, ResultSlot::None, call};
}

constexpr MemberForm kLastZTError = {
    0, {}, ResultSlot::Code, [](IZentor& z, VARIANT*, InvokeResult& r) {
        return z.get_LastZTError(&r.code);
    }};
constexpr MemberForm kPKCS11Error = {
    0, {}, ResultSlot::Pkcs11Code, [](IZentor& z, VARIANT*, InvokeResult& r) {
        return z.get_PKCS11Error(&r.pkcs11Code);
    }};
constexpr MemberForm kPutCardType = {
    1, {VT_I4}, ResultSlot::None, [](IZentor& z, VARIANT* a, InvokeResult&) {
        return z.put_CardType(a[0].lVal);
    }};

constexpr MemberRow kMembers[] = {
    {kDispIdFormatToken, kFormatToken, kNoPut},
    {kDispIdChangePIN, kChangePIN, kNoPut},
    {kDispIdInitPIN, kInitPIN, kNoPut},
    {kDispIdGenerateKeys, kGenerateKeys, kNoPut},
    {kDispIdSignFile, kSignFile, kNoPut},
    {kDispIdSignData, kSignData, kNoPut},
    {kDispIdFirstName, TextGet(GetText<&IZentor::get_FirstName>),
     TextPut(PutText<&IZentor::put_FirstName>)},
    {kDispIdLastName, TextGet(GetText<&IZentor::get_LastName>),
     TextPut(PutText<&IZentor::put_LastName>)},
    {kDispIdCompany, TextGet(GetText<&IZentor::get_Company>),
     TextPut(PutText<&IZentor::put_Company>)},
    {kDispIdUserID, TextGet(GetText<&IZentor::get_UserID>), TextPut(PutText<&IZentor::put_UserID>)},
    {kDispIdCreateTime, TextGet(GetText<&IZentor::get_CreateTime>), kNoPut},
    {kDispIdUserCode, TextGet(GetText<&IZentor::get_UserCode>),
     TextPut(PutText<&IZentor::put_UserCode>)},
    {kDispIdLastZTError, kLastZTError, kNoPut},
    {kDispIdPublicKey, TextGet(GetText<&IZentor::get_PublicKey>), kNoPut},
    {kDispIdTokensCount, {0, {}, ResultSlot::Number, GetNumber<&IZentor::get_TokensCount>}, kNoPut},
    {kDispIdNorvaEFTTokensCount,
     {0, {}, ResultSlot::Number, GetNumber<&IZentor::get_NorvaEFTTokensCount>},
     kNoPut},
    {kDispIdDriversInstalled,
     {0, {}, ResultSlot::Flag, GetFlag<&IZentor::get_DriversInstalled>},
     kNoPut},
    {kDispIdPKCS11Error, kPKCS11Error, kNoPut},
    {kDispIdCardType, {0, {}, ResultSlot::Number, GetNumber<&IZentor::get_CardType>}, kPutCardType},
    {kDispIdDecryptAndSignData, kDecryptAndSignData, kNoPut},
    {kDispIdSignFileCanceled,
     {0, {}, ResultSlot::Flag, GetFlag<&IZentor::get_SignFileCanceled>},
     kNoPut},
    {kDispIdSignFileData, kSignFileData, kNoPut},
    {kDispIdGenerateKeysCustom, kGenerateKeysCustom, kNoPut},
    {kDispIdFullFormatToken, kFullFormatToken, kNoPut},
};

} // namespace

const MemberForm* SelectMemberForm(DISPID id, WORD flags) {
    for (const MemberRow& row : kMembers) {
        if (row.id != id) {
            continue;
        }
        // Methods and read-only properties run whatever the flags say.
        if (row.put.call == nullptr || (flags & DISPATCH_PROPERTYGET) != 0) {
            return &row.get;
        }
        return (flags & DISPATCH_PROPERTYPUT) != 0 ? &row.put : nullptr;
    }
    return nullptr;
}

VARTYPE ResultType(ResultSlot slot) {
    switch (slot) {
    case ResultSlot::Code:
    case ResultSlot::Pkcs11Code:
    case ResultSlot::Number:
        return VT_I4;
    case ResultSlot::Text:
        return VT_BSTR;
    case ResultSlot::Flag:
        return VT_BOOL;
    case ResultSlot::None:
        break;
    }
    return VT_EMPTY;
}
