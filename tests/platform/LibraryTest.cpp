// Library loading by Windows name, entry points, module file names and last errors.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

typedef int (*AnswerFunction)();
typedef DWORD (*ModuleFileFunction)(WCHAR*, DWORD);

template <typename Function> Function Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

std::u16string Text(const WCHAR* text) {
    return reinterpret_cast<const char16_t*>(text);
}

} // namespace

TEST(Library, WindowsNameLoadsTheTestLibrary) {
    HMODULE module = LoadLibraryA("platform_testlib.dll");
    ASSERT_NE(module, nullptr);
    const auto answer = Lookup<AnswerFunction>(module, "NorvaTestLibraryAnswer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(Library, WideNameLoadsTheTestLibrary) {
    HMODULE module = LoadLibraryW(reinterpret_cast<LPCWSTR>(u"platform_testlib.dll"));
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(Library, MissingLibraryReportsModuleNotFound) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("norva_no_such_library.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(Library, MissingEntryReportsProcedureNotFound) {
    HMODULE module = LoadLibraryA("platform_testlib.dll");
    ASSERT_NE(module, nullptr);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, "NoSuchEntryPoint"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    FreeLibrary(module);
}

TEST(Library, ModuleFileNameNamesTheLoadedFile) {
    HMODULE module = LoadLibraryA("platform_testlib.dll");
    ASSERT_NE(module, nullptr);
    WCHAR path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(Text(path).size(), length);
    EXPECT_NE(Text(path).find(u"platform_testlib"), std::u16string::npos);
    char ansiPath[MAX_PATH] = {};
    EXPECT_EQ(GetModuleFileNameA(module, ansiPath, MAX_PATH), length);
    FreeLibrary(module);
}

TEST(Library, ModuleFindsItsOwnFileFromAnAddress) {
    HMODULE module = LoadLibraryA("platform_testlib.dll");
    ASSERT_NE(module, nullptr);
    const auto ownFile = Lookup<ModuleFileFunction>(module, "NorvaTestLibraryOwnFile");
    ASSERT_NE(ownFile, nullptr);
    WCHAR fromInside[MAX_PATH] = {};
    WCHAR fromOutside[MAX_PATH] = {};
    ASSERT_GT(ownFile(fromInside, MAX_PATH), 0u);
    ASSERT_GT(GetModuleFileNameW(module, fromOutside, MAX_PATH), 0u);
    EXPECT_EQ(Text(fromInside), Text(fromOutside));
    FreeLibrary(module);
}

TEST(Library, ShortBufferReportsItsSize) {
    HMODULE module = LoadLibraryA("platform_testlib.dll");
    ASSERT_NE(module, nullptr);
    WCHAR path[4] = {1, 1, 1, 1};
    EXPECT_EQ(GetModuleFileNameW(module, path, 4), 4u);
    FreeLibrary(module);
}

TEST(Library, ProgramFileNameIsKnown) {
    WCHAR path[MAX_PATH] = {};
    EXPECT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    EXPECT_NE(Text(path).find(u"platform_tests"), std::u16string::npos);
}
