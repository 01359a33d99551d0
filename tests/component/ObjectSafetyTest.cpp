// What the object answers script hosts about its safety, and its type information when no
// type library can be read (the test program carries none).
#include <gtest/gtest.h>

#include "ComponentTestSupport.h"

using norva::test::NewZentor;

namespace {

ComRef<IObjectSafety> Safety(IZentor& zentor) {
    ComRef<IObjectSafety> safety;
    EXPECT_EQ(S_OK, zentor.QueryInterface(IID_IObjectSafety, safety.PutVoid()));
    return safety;
}

constexpr DWORD kUntouched = 0xDEADBEEF;

TEST(ObjectSafety, IDispatchSupportsSafeForCallersAndStartsDisabled) {
    ComRef<IZentor> zentor = NewZentor();
    DWORD supported = kUntouched;
    DWORD enabled = kUntouched;
    EXPECT_EQ(
        S_OK,
        Safety(*zentor.Get())->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(DWORD{INTERFACESAFE_FOR_UNTRUSTED_CALLER}, supported);
    EXPECT_EQ(0u, enabled);
}

TEST(ObjectSafety, OtherSupportedInterfacesFailWithBothOptionsZero) {
    ComRef<IZentor> zentor = NewZentor();
    for (const IID& iid : {IID_IZentor, IID_IUnknown, IID_IObjectSafety}) {
        DWORD supported = kUntouched;
        DWORD enabled = kUntouched;
        EXPECT_EQ(E_FAIL,
                  Safety(*zentor.Get())->GetInterfaceSafetyOptions(iid, &supported, &enabled));
        EXPECT_EQ(0u, supported);
        EXPECT_EQ(0u, enabled);
    }
}

TEST(ObjectSafety, UnsupportedInterfacesAreRefusedAndOutputsLeftAlone) {
    ComRef<IZentor> zentor = NewZentor();
    DWORD supported = kUntouched;
    DWORD enabled = kUntouched;
    ComRef<IObjectSafety> safety = Safety(*zentor.Get());
    EXPECT_EQ(E_NOINTERFACE,
              safety->GetInterfaceSafetyOptions(IID_IPersistStreamInit, &supported, &enabled));
    EXPECT_EQ(kUntouched, supported);
    EXPECT_EQ(kUntouched, enabled);
    EXPECT_EQ(E_NOINTERFACE, safety->SetInterfaceSafetyOptions(IID_IPersistStorage, 2, 2));
}

TEST(ObjectSafety, MissingOutputsFail) {
    ComRef<IZentor> zentor = NewZentor();
    DWORD value = 0;
    ComRef<IObjectSafety> safety = Safety(*zentor.Get());
    EXPECT_EQ(E_FAIL, safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &value));
    EXPECT_EQ(E_FAIL, safety->GetInterfaceSafetyOptions(IID_IDispatch, &value, nullptr));
}

TEST(ObjectSafety, OptionsAreOnlyEverAdded) {
    ComRef<IZentor> zentor = NewZentor();
    ComRef<IObjectSafety> safety = Safety(*zentor.Get());
    EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IDispatch, 0x1, 0x1));
    EXPECT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IDispatch, 0x1, 0));
    DWORD supported = 0;
    DWORD enabled = 0;
    EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(1u, enabled);
}

TEST(ObjectSafety, SettingNothingFails) {
    ComRef<IZentor> zentor = NewZentor();
    EXPECT_EQ(E_FAIL, Safety(*zentor.Get())->SetInterfaceSafetyOptions(IID_IDispatch, 0, 0));
    EXPECT_EQ(E_FAIL, Safety(*zentor.Get())->SetInterfaceSafetyOptions(IID_NULL, 0, 0));
}

TEST(ObjectSafety, BitsOutsideTheInterfacesOwnOptionAreKeptButFail) {
    ComRef<IZentor> zentor = NewZentor();
    ComRef<IObjectSafety> safety = Safety(*zentor.Get());
    // Only the data option: recorded, but IDispatch's own option is still off.
    EXPECT_EQ(E_FAIL, safety->SetInterfaceSafetyOptions(IID_IDispatch, 0x2, 0x2));
    EXPECT_EQ(E_FAIL, safety->SetInterfaceSafetyOptions(IID_IZentor, 0x1, 0x1));
    DWORD supported = 0;
    DWORD enabled = 0;
    EXPECT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
    EXPECT_EQ(1u, enabled); // set through IZentor's call, which answered E_FAIL
    // A mask without the enabled bit adds nothing.
    ComRef<IZentor> other = NewZentor();
    EXPECT_EQ(E_FAIL, Safety(*other.Get())->SetInterfaceSafetyOptions(IID_IDispatch, 0x1, 0x2));
}

TEST(ObjectSafety, EachObjectHasItsOwnOptions) {
    ComRef<IZentor> first = NewZentor();
    ComRef<IZentor> second = NewZentor();
    EXPECT_EQ(S_OK, Safety(*first.Get())->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1));
    DWORD supported = 0;
    DWORD enabled = kUntouched;
    Safety(*second.Get())->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
    EXPECT_EQ(0u, enabled);
}

TEST(TypeInformation, ReportsNoneWhereNoTypeLibraryCanBeRead) {
    ComRef<IZentor> zentor = NewZentor();
    UINT count = 7;
    EXPECT_EQ(S_OK, zentor->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(E_POINTER, zentor->GetTypeInfoCount(nullptr));
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(&count);
    EXPECT_TRUE(FAILED(zentor->GetTypeInfo(0, 0, &info)));
    EXPECT_EQ(nullptr, info);
}

TEST(TypeInformation, OnlyIndexZeroExists) {
    ComRef<IZentor> zentor = NewZentor();
    ITypeInfo* info = nullptr;
    EXPECT_EQ(DISP_E_BADINDEX, zentor->GetTypeInfo(1, 0, &info));
    EXPECT_EQ(E_POINTER, zentor->GetTypeInfo(0, 0, nullptr));
}

TEST(ClassInfo, NullResultIsRefused) {
    ComRef<IZentor> zentor = NewZentor();
    ComRef<IProvideClassInfo> provider;
    ASSERT_EQ(S_OK, zentor->QueryInterface(IID_IProvideClassInfo, provider.PutVoid()));
    EXPECT_EQ(E_POINTER, provider->GetClassInfo(nullptr));
}

} // namespace
