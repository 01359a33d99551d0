// GetIDsOfNames: every published name and its get_/put_ forms, ASCII case-insensitive, the
// first unknown name stops.
#include <gtest/gtest.h>

#include "ComponentTestSupport.h"
#include "component/ZentorMembers.h"

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

// Every member of the published list answers to its name, a property also to get_ and, when
// it can be written, to put_ before it; the forms it does not have are unknown.
TEST(GetIDsOfNames, EveryPublishedNameGivesItsIdentifierAndNoOtherForm) {
    ASSERT_FALSE(std::empty(kZentorMembers));
    for (const ZentorMember& member : kZentorMembers) {
        const std::string name = member.name;
        const bool property = member.kind != MemberKind::Method;
        const bool writable = member.kind == MemberKind::ReadWrite;
        EXPECT_EQ(member.id, IdOf(name)) << name;
        EXPECT_EQ(property ? member.id : DISP_E_UNKNOWNNAME, IdOf("get_" + name)) << name;
        EXPECT_EQ(writable ? member.id : DISP_E_UNKNOWNNAME, IdOf("put_" + name)) << name;
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
