// COM on our implementation: apartment bookkeeping, classes found through the registry
// store, error information and the absent type-library loader.
#include "tests/platform/PosixTestEnvironment.h"
#include "tests/platform/TestLibraryClass.h"
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using norva::test::CountingUnknown;
using norva::test::kTestClass;
using norva::test::kTestObjectMarker;

namespace {

constexpr DWORD kAnyContext = 0x17;

class Com : public ::testing::Test {
protected:
    void SetUp() override {
        norva::test::UseFreshConfigHome();
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
    }
    void TearDown() override { CoUninitialize(); }

    static void RegisterServer(const std::u16string& library) {
        OLECHAR clsid[40];
        StringFromGUID2(kTestClass, clsid, 40);
        const std::u16string keyName = u"CLSID\\" + std::u16string(clsid) + u"\\InprocServer32";
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(library.c_str()),
                                 static_cast<DWORD>((library.size() + 1) * 2)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

} // namespace

TEST_F(Com, InitialisingAgainCountsAndReportsFalse) {
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    CoUninitialize();
}

TEST_F(Com, UnregisteredClassIsClassNotRegistered) {
    IUnknown* object = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, kAnyContext, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
}

TEST_F(Com, RegisteredClassIsCreatedFromItsLibrary) {
    RegisterServer(u"platform_testlib.dll");
    IUnknown* object = nullptr;
    ASSERT_EQ(CoCreateInstance(kTestClass, nullptr, kAnyContext, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    ASSERT_NE(object, nullptr);
    IUnknown* marker = nullptr;
    EXPECT_EQ(object->QueryInterface(kTestObjectMarker, reinterpret_cast<void**>(&marker)), S_OK);
    EXPECT_EQ(marker, object);
    marker->Release();
    EXPECT_EQ(object->Release(), 0u);
}

TEST_F(Com, RegisteredFullPathIsUsedAsItIs) {
    // The library is built beside the test program.
    OLECHAR program[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    std::u16string folder(program);
    folder.resize(folder.rfind(u'/'));
    RegisterServer(folder + u"/libplatform_testlib.so");
    IUnknown* object = nullptr;
    ASSERT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    object->Release();
}

TEST_F(Com, InterfaceTheObjectLacksIsNoInterface) {
    RegisterServer(u"platform_testlib.dll");
    IUnknown* object = nullptr;
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, kAnyContext, IID_IDispatch,
                               reinterpret_cast<void**>(&object)),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}

TEST_F(Com, MissingLibraryFails) {
    RegisterServer(u"norva_no_such_library.dll");
    IUnknown* object = nullptr;
    EXPECT_TRUE(FAILED(CoCreateInstance(kTestClass, nullptr, kAnyContext, IID_IUnknown,
                                        reinterpret_cast<void**>(&object))));
    EXPECT_EQ(object, nullptr);
}

TEST_F(Com, LibraryWithoutClassObjectFails) {
    RegisterServer(u"libm.so.6");
    IUnknown* object = nullptr;
    const HRESULT hr = CoCreateInstance(kTestClass, nullptr, kAnyContext, IID_IUnknown,
                                        reinterpret_cast<void**>(&object));
    EXPECT_TRUE(FAILED(hr));
    EXPECT_NE(hr, REGDB_E_CLASSNOTREG);
}

TEST_F(Com, OnlyInProcessServersAreOffered) {
    RegisterServer(u"platform_testlib.dll");
    IUnknown* object = nullptr;
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              REGDB_E_CLASSNOTREG);
}

TEST(ComUninitialised, CreationNeedsCoInitialize) {
    IUnknown* object = nullptr;
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, kAnyContext, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              CO_E_NOTINITIALIZED);
}

TEST(ErrorInfo, NoneIsSetAtFirst) {
    IErrorInfo* info = reinterpret_cast<IErrorInfo*>(1);
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
    EXPECT_EQ(info, nullptr);
}

TEST(TypeLibrary, NoLoaderExists) {
    ITypeLib* library = reinterpret_cast<ITypeLib*>(1);
    EXPECT_EQ(LoadTypeLib(OLESTR("/any/file.dll"), &library), TYPE_E_CANTLOADLIBRARY);
    EXPECT_EQ(library, nullptr);
    EXPECT_EQ(LoadTypeLibEx(OLESTR("/any/file.dll"), REGKIND_NONE, &library),
              TYPE_E_CANTLOADLIBRARY);
    EXPECT_EQ(RegisterTypeLib(nullptr, OLESTR("/any/file.dll"), nullptr), TYPE_E_CANTLOADLIBRARY);
    EXPECT_EQ(UnRegisterTypeLib(GUID_NULL, 1, 0, 0, SYS_WIN32), TYPE_E_CANTLOADLIBRARY);
}

TEST(ProgId, ResolvesThroughTheRegistry) {
    norva::test::UseFreshConfigHome();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Norva.Test\\CLSID", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::u16string clsid = u"{8E1B7C2A-4D1F-4B6E-9C3A-5F2D7E8A9B01}";
    ASSERT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid.c_str()),
                             static_cast<DWORD>((clsid.size() + 1) * 2)),
              ERROR_SUCCESS);
    RegCloseKey(key);
    CLSID found{};
    ASSERT_EQ(CLSIDFromString(u"Norva.Test", &found), S_OK);
    EXPECT_TRUE(found == kTestClass);
    EXPECT_EQ(CLSIDFromProgID(u"Norva.Missing", &found), CO_E_CLASSSTRING);
}
