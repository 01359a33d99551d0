// Windows clients of the registered library, run under Wine: regsvr32 registers it, a
// VBScript drives the object by name through the script host, COM creates it from the
// registry, and its type library lists every member as callers bind to it.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "RegistryReading.h"
#include "RunProgram.h"
#include "component/ComHandles.h"
#include "component/ZentorIds.h"
#include "component/base/ZentorErrors.h"
#include "tests/support/ChildProcess.h"

namespace {

std::string ToUtf8(const OleString& text) {
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), length, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

// The library's own Windows path, as regsvr32 and the registry see it.
std::string LibraryPath() {
    HMODULE module = LoadLibraryW(L"NorvaDigitalIDIF.dll");
    WCHAR buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    FreeLibrary(module);
    return ToUtf8(OleString(buffer, buffer + length));
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return text;
}

class WineClients : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        registerExit = norva::test::RunProgram("regsvr32.exe", {"/s", LibraryPath()});
    }
    static void TearDownTestSuite() {
        norva::test::RunProgram("regsvr32.exe", {"/u", "/s", LibraryPath()});
        CoUninitialize();
    }
    static int registerExit;
};
int WineClients::registerExit = -1;

TEST_F(WineClients, Regsvr32RegistersTheLibrary) {
    ASSERT_EQ(0, registerExit);
    const std::string inproc =
        norva::test::ReadText("CLSID\\{D41D9EE8-7F0B-488D-B8C4-5A1526BE3478}\\InprocServer32")
            .value_or("");
    EXPECT_EQ(Lower(LibraryPath()), Lower(inproc));
    EXPECT_EQ("NorvaDigitalIDIF.Zentor.1",
              norva::test::ReadText("NorvaDigitalIDIF.Zentor\\CurVer").value_or(""));
}

TEST_F(WineClients, AScriptDrivesTheObjectByName) {
    ASSERT_EQ(0, registerExit);
    norva::test::CTempFolder folder;
    const auto script = folder.path() / "zentor.vbs";
    std::ofstream(script) << "Set z = CreateObject(\"NorvaDigitalIDIF.Zentor\")\r\n"
                             "If z.CardType <> 0 Then WScript.Quit 11\r\n"
                             "If z.LastZTError <> 0 Then WScript.Quit 12\r\n"
                             "If z.PKCS11Error <> 0 Then WScript.Quit 13\r\n"
                             "If z.SignFileCanceled <> 0 Then WScript.Quit 14\r\n"
                             "z.CardType = 3\r\n"
                             "If z.CardType <> 3 Then WScript.Quit 15\r\n"
                             "z.CardType = 7\r\n"
                             "If z.CardType <> 0 Then WScript.Quit 16\r\n"
                             "WScript.Quit 0\r\n";
    EXPECT_EQ(0, norva::test::RunProgram("cscript.exe", {"//nologo", script.string()}));
}

TEST_F(WineClients, ComCreatesTheRegisteredClassAndItsTypeInformationIsFound) {
    ASSERT_EQ(0, registerExit);
    ComRef<IDispatch> object;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CZentor, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                     object.PutVoid()));
    UINT count = 0;
    EXPECT_EQ(S_OK, object->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    ComRef<IProvideClassInfo> provider;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_IProvideClassInfo, provider.PutVoid()));
    ComRef<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, provider->GetClassInfo(coclass.Put()));
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attributes));
    EXPECT_EQ(TKIND_COCLASS, attributes->typekind);
    EXPECT_TRUE(IsEqualGUID(CLSID_CZentor, attributes->guid));
    coclass->ReleaseTypeAttr(attributes);
}

// What a caller binding to the vtable half sees of one member.
struct MemberLayout {
    DISPID id;
    INVOKEKIND kind;
    int slot;
    std::vector<std::string> names; // the member, then its parameters
};

std::vector<MemberLayout> ExpectedMembers() {
    const std::vector<std::string> pVal = {};
    // Slots 0-6 belong to IUnknown and IDispatch. Property puts report the names of the
    // get, as GetNames is keyed by member id.
    return {
        {1, INVOKE_FUNC, 7, {"FormatToken", "SOPassword", "RetVal"}},
        {4, INVOKE_FUNC, 8, {"ChangePIN", "OldPIN", "NewPIN", "RetVal"}},
        {5, INVOKE_FUNC, 9, {"InitPIN", "NewPIN", "SOPassword", "RetVal"}},
        {6, INVOKE_FUNC, 10, {"GenerateKeys", "PIN", "RetVal"}},
        {7, INVOKE_FUNC, 11, {"SignFile", "PIN", "FileName", "Challenge", "HexBinarySignedData"}},
        {8,
         INVOKE_FUNC,
         12,
         {"SignData", "PIN", "RawData", "bConvertToBinary", "HexBinarySignedData"}},
        {9, INVOKE_PROPERTYGET, 13, {"FirstName", "pVal"}},
        {9, INVOKE_PROPERTYPUT, 14, {"FirstName", "pVal"}},
        {10, INVOKE_PROPERTYGET, 15, {"LastName", "pVal"}},
        {10, INVOKE_PROPERTYPUT, 16, {"LastName", "pVal"}},
        {11, INVOKE_PROPERTYGET, 17, {"Company", "pVal"}},
        {11, INVOKE_PROPERTYPUT, 18, {"Company", "pVal"}},
        {12, INVOKE_PROPERTYGET, 19, {"UserID", "pVal"}},
        {12, INVOKE_PROPERTYPUT, 20, {"UserID", "pVal"}},
        {13, INVOKE_PROPERTYGET, 21, {"CreateTime", "pVal"}},
        {14, INVOKE_PROPERTYGET, 22, {"UserCode", "pVal"}},
        {14, INVOKE_PROPERTYPUT, 23, {"UserCode", "pVal"}},
        {15, INVOKE_PROPERTYGET, 24, {"LastZTError", "pVal"}},
        {16, INVOKE_PROPERTYGET, 25, {"PublicKey", "pVal"}},
        {17, INVOKE_PROPERTYGET, 26, {"TokensCount", "pVal"}},
        {18, INVOKE_PROPERTYGET, 27, {"NorvaEFTTokensCount", "pVal"}},
        {19, INVOKE_PROPERTYGET, 28, {"DriversInstalled", "pVal"}},
        {20, INVOKE_PROPERTYGET, 29, {"PKCS11Error", "pVal"}},
        {21, INVOKE_PROPERTYGET, 30, {"CardType", "pVal"}},
        {21, INVOKE_PROPERTYPUT, 31, {"CardType", "pVal"}},
        {22,
         INVOKE_FUNC,
         32,
         {"DecryptAndSignData", "PIN", "RawData", "bConvertToBinary", "HexBinarySignedData"}},
        {23, INVOKE_PROPERTYGET, 33, {"SignFileCanceled", "pVal"}},
        {24,
         INVOKE_FUNC,
         34,
         {"SignFileData", "PIN", "FileContent", "FileName", "Challenge", "HexBinarySignedData"}},
        {25, INVOKE_FUNC, 35, {"GenerateKeysCustom", "PIN", "KeyLength", "RetVal"}},
        {26,
         INVOKE_FUNC,
         36,
         {"FullFormatToken", "NewPIN", "SOPassword", "UserID", "FirstName", "LastName", "KeyLength",
          "pVal"}},
    };
}

ComRef<ITypeLib> LibraryTypes() {
    ComRef<ITypeLib> library;
    const OleString path = Widen(LibraryPath());
    EXPECT_EQ(S_OK, LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put()));
    return library;
}

std::vector<std::string> NamesOf(ITypeInfo& info, MEMBERID id) {
    BSTR names[10] = {};
    UINT count = 0;
    info.GetNames(id, names, 10, &count);
    std::vector<std::string> out;
    for (UINT i = 0; i < count; ++i) {
        out.push_back(ToUtf8(OleString(names[i])));
        SysFreeString(names[i]);
    }
    return out;
}

std::string Documentation(ITypeInfo& info, MEMBERID id) {
    OwnedBstr text;
    info.GetDocumentation(id, nullptr, text.Put(), nullptr, nullptr);
    return text.Get() != nullptr ? ToUtf8(OleString(text.Get())) : "";
}

TEST(TypeLibrary, ListsEveryMemberWithItsIdentifierSlotAndParameterNames) {
    ComRef<ITypeLib> library = LibraryTypes();
    ASSERT_TRUE(library);
    ComRef<ITypeInfo> dispatch;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(IID_IZentor, dispatch.Put()));
    HREFTYPE vtableRef = 0;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef));
    ComRef<ITypeInfo> vtable;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(vtableRef, vtable.Put()));

    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, vtable->GetTypeAttr(&attributes));
    const UINT functions = attributes->cFuncs;
    EXPECT_EQ(TKIND_INTERFACE, attributes->typekind);
    EXPECT_NE(0, attributes->wTypeFlags & TYPEFLAG_FDUAL);
    vtable->ReleaseTypeAttr(attributes);

    const std::vector<MemberLayout> expected = ExpectedMembers();
    ASSERT_EQ(expected.size(), functions);
    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* function = nullptr;
        ASSERT_EQ(S_OK, vtable->GetFuncDesc(i, &function));
        const MemberLayout& member = expected[i];
        EXPECT_EQ(member.id, function->memid) << i;
        EXPECT_EQ(member.kind, function->invkind) << i;
        EXPECT_EQ(member.slot * static_cast<int>(sizeof(void*)), function->oVft) << i;
        EXPECT_EQ(member.names, NamesOf(*vtable.Get(), function->memid)) << i;
        vtable->ReleaseFuncDesc(function);
    }
    EXPECT_EQ("method SignFile", Documentation(*vtable.Get(), 24));
    EXPECT_EQ("property CardType", Documentation(*vtable.Get(), 21));
    EXPECT_EQ("method FormatToken", Documentation(*vtable.Get(), 1));
}

TEST(TypeLibrary, DescribesTheLibraryAndTheClass) {
    ComRef<ITypeLib> library = LibraryTypes();
    ASSERT_TRUE(library);
    OwnedBstr doc;
    ASSERT_EQ(S_OK, library->GetDocumentation(-1, nullptr, doc.Put(), nullptr, nullptr));
    EXPECT_EQ("NorvaDigitalIDIF 1.0 Type Library", ToUtf8(OleString(doc.Get())));
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(LIBID_NorvaDigitalIDIF, attributes->guid));
    EXPECT_EQ(1, attributes->wMajorVerNum);
    EXPECT_EQ(0, attributes->wMinorVerNum);
    library->ReleaseTLibAttr(attributes);
    ComRef<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(CLSID_CZentor, coclass.Put()));
    EXPECT_EQ("Zentor Class", Documentation(*coclass.Get(), MEMBERID_NIL));
}

// Every value of an enumeration of the library, by name.
std::map<std::string, LONG> EnumerationValues(ITypeLib& library, const char* name) {
    std::map<std::string, LONG> values;
    for (UINT i = 0; i < library.GetTypeInfoCount(); ++i) {
        ComRef<ITypeInfo> info;
        library.GetTypeInfo(i, info.Put());
        OwnedBstr typeName;
        info->GetDocumentation(MEMBERID_NIL, typeName.Put(), nullptr, nullptr, nullptr);
        TYPEATTR* attributes = nullptr;
        info->GetTypeAttr(&attributes);
        const bool wanted =
            attributes->typekind == TKIND_ENUM && ToUtf8(OleString(typeName.Get())) == name;
        const WORD count = attributes->cVars;
        info->ReleaseTypeAttr(attributes);
        for (WORD v = 0; wanted && v < count; ++v) {
            VARDESC* variable = nullptr;
            info->GetVarDesc(v, &variable);
            values[NamesOf(*info.Get(), variable->memid).at(0)] = variable->lpvarValue->lVal;
            info->ReleaseVarDesc(variable);
        }
    }
    return values;
}

// The type library widl compiles and the enumerations the C++ code uses are two outputs of
// the one interface definition: they must agree name for name and value for value.
TEST(TypeLibrary, PublishesBothEnumerationsAsTheCodeKnowsThem) {
    ComRef<ITypeLib> library = LibraryTypes();
    ASSERT_TRUE(library);
    std::map<std::string, LONG> codes;
    std::map<std::string, LONG> results;
#define NORVA_CODE_ENTRY(name, value) codes[#name] = static_cast<LONG>(value);
#define NORVA_RESULT_ENTRY(name, value) results[#name] = static_cast<LONG>(value);
    NORVA_TZENTORERROR_VALUES(NORVA_CODE_ENTRY)
    NORVA_TPKCS11ERROR_VALUES(NORVA_RESULT_ENTRY)
#undef NORVA_CODE_ENTRY
#undef NORVA_RESULT_ENTRY
    ASSERT_FALSE(codes.empty());
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(codes, EnumerationValues(*library.Get(), "TZentorError"));
    EXPECT_EQ(results, EnumerationValues(*library.Get(), "TPKCS11Error"));
}

} // namespace
