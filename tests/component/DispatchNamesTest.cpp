// GetIDsOfNames: the 44 names, ASCII case-insensitive, the first unknown name stops.
#include <gtest/gtest.h>

#include "ComponentTestSupport.h"

using norva::test::NewZentor;

namespace {

HRESULT IdsOf(IZentor& zentor, const std::vector<std::string>& names, std::vector<DISPID>& ids) {
    std::vector<OleString> texts;
    for (const std::string& name : names) {
        texts.push_back(Widen(name));
    }
    std::vector<LPOLESTR> pointers;
    for (OleString& text : texts) {
        pointers.push_back(text.data());
    }
    return zentor.GetIDsOfNames(IID_NULL, pointers.data(), static_cast<UINT>(pointers.size()), 0,
                                ids.data());
}

DISPID IdOf(const std::string& name) {
    ComRef<IZentor> zentor = NewZentor();
    std::vector<DISPID> ids(1, -99);
    const HRESULT hr = IdsOf(*zentor.Get(), {name}, ids);
    return hr == S_OK ? ids[0] : hr;
}

struct NamedMember {
    const char* name;
    DISPID id;
};

TEST(GetIDsOfNames, EveryPublishedNameGivesItsIdentifier) {
    const NamedMember names[] = {
        {"FormatToken", 1},
        {"ChangePIN", 4},
        {"InitPIN", 5},
        {"GenerateKeys", 6},
        {"SignFile", 7},
        {"SignData", 8},
        {"FirstName", 9},
        {"get_FirstName", 9},
        {"put_FirstName", 9},
        {"LastName", 10},
        {"get_LastName", 10},
        {"put_LastName", 10},
        {"Company", 11},
        {"get_Company", 11},
        {"put_Company", 11},
        {"UserID", 12},
        {"get_UserID", 12},
        {"put_UserID", 12},
        {"CreateTime", 13},
        {"get_CreateTime", 13},
        {"UserCode", 14},
        {"get_UserCode", 14},
        {"put_UserCode", 14},
        {"LastZTError", 15},
        {"get_LastZTError", 15},
        {"PublicKey", 16},
        {"get_PublicKey", 16},
        {"TokensCount", 17},
        {"get_TokensCount", 17},
        {"NorvaEFTTokensCount", 18},
        {"get_NorvaEFTTokensCount", 18},
        {"DriversInstalled", 19},
        {"get_DriversInstalled", 19},
        {"PKCS11Error", 20},
        {"get_PKCS11Error", 20},
        {"CardType", 21},
        {"get_CardType", 21},
        {"put_CardType", 21},
        {"DecryptAndSignData", 22},
        {"SignFileCanceled", 23},
        {"get_SignFileCanceled", 23},
        {"SignFileData", 24},
        {"GenerateKeysCustom", 25},
        {"FullFormatToken", 26},
    };
    ASSERT_EQ(44u, std::size(names));
    for (const NamedMember& entry : names) {
        EXPECT_EQ(entry.id, IdOf(entry.name)) << entry.name;
    }
}

TEST(GetIDsOfNames, IgnoresTheCaseOfLetters) {
    EXPECT_EQ(1, IdOf("formattoken"));
    EXPECT_EQ(1, IdOf("FORMATTOKEN"));
    EXPECT_EQ(1, IdOf("fOrMaTtOkEn"));
    EXPECT_EQ(9, IdOf("get_firstname"));
    EXPECT_EQ(20, IdOf("pkcs11error"));
}

TEST(GetIDsOfNames, FormsThatDoNotExistAreUnknown) {
    EXPECT_EQ(DISP_E_UNKNOWNNAME, IdOf("put_CreateTime"));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, IdOf("get_FormatToken"));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, IdOf("put_LastZTError"));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, IdOf("SignDataEx"));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, IdOf("FormatTokens"));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, IdOf("FormatToke"));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, IdOf(""));
}

TEST(GetIDsOfNames, OnlyAsciiLettersFoldTheirCase) {
    // U+0130 and U+0131 fold to "i" in some locales; here they are just other characters.
    ComRef<IZentor> zentor = NewZentor();
    OleString name = Widen("InitPIN");
    name[2] = 0x0130;
    LPOLESTR names[] = {name.data()};
    DISPID id = -99;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, zentor->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
}

TEST(GetIDsOfNames, FillsEveryPositionInOrder) {
    ComRef<IZentor> zentor = NewZentor();
    std::vector<DISPID> ids(3, -99);
    EXPECT_EQ(S_OK, IdsOf(*zentor.Get(), {"CardType", "SignData", "lastname"}, ids));
    EXPECT_EQ((std::vector<DISPID>{21, 8, 10}), ids);
}

TEST(GetIDsOfNames, StopsAtTheFirstUnknownNameLeavingLaterPositionsUnwritten) {
    ComRef<IZentor> zentor = NewZentor();
    std::vector<DISPID> ids(3, -99);
    EXPECT_EQ(DISP_E_UNKNOWNNAME, IdsOf(*zentor.Get(), {"CardType", "Nope", "LastName"}, ids));
    EXPECT_EQ((std::vector<DISPID>{21, -99, -99}), ids);
}

TEST(GetIDsOfNames, NullNameIsUnknownAndMissingArraysAreRefused) {
    ComRef<IZentor> zentor = NewZentor();
    LPOLESTR names[] = {nullptr};
    DISPID id = -99;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, zentor->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
    EXPECT_EQ(-99, id);
    EXPECT_EQ(E_POINTER, zentor->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id));
    EXPECT_EQ(E_POINTER, zentor->GetIDsOfNames(IID_NULL, names, 1, 0, nullptr));
    EXPECT_EQ(S_OK, zentor->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr));
}

} // namespace
