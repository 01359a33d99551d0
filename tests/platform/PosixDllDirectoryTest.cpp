// SetDllDirectory: a bare name that the normal order misses is found in the folder set,
// for the program and for the libraries it loads alike.
#include "tests/platform/PosixTestEnvironment.h"
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

typedef int (*CanLoadFunction)(const char*);

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path().string();
}

class DllDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = norva::test::UseFreshConfigHome() + "/libraries";
        std::filesystem::create_directories(folder_);
        std::filesystem::copy_file(ProgramFolder() + "/libplatform_testlib.so",
                                   folder_ + "/libplatform_movedlib.so");
        testlib_ = LoadLibraryA("platform_testlib.dll");
        ASSERT_NE(testlib_, nullptr);
        canLoad_ = reinterpret_cast<CanLoadFunction>(
            reinterpret_cast<void (*)()>(GetProcAddress(testlib_, "NorvaTestLibraryCanLoad")));
        ASSERT_NE(canLoad_, nullptr);
    }
    void TearDown() override {
        SetDllDirectoryA(nullptr);
        FreeLibrary(testlib_);
    }

    std::string folder_;
    HMODULE testlib_ = nullptr;
    CanLoadFunction canLoad_ = nullptr;
};

bool ProgramCanLoad(const char* name) {
    HMODULE module = LoadLibraryA(name);
    if (module == nullptr) {
        return false;
    }
    FreeLibrary(module);
    return true;
}

} // namespace

TEST_F(DllDirectory, FolderIsSearchedOnlyWhileSet) {
    EXPECT_FALSE(ProgramCanLoad("platform_movedlib.dll"));
    ASSERT_TRUE(SetDllDirectoryA(folder_.c_str()));
    EXPECT_TRUE(ProgramCanLoad("platform_movedlib.dll"));
    ASSERT_TRUE(SetDllDirectoryA(nullptr));
    EXPECT_FALSE(ProgramCanLoad("platform_movedlib.dll"));
}

TEST_F(DllDirectory, LoadedLibrariesShareTheSetting) {
    EXPECT_EQ(canLoad_("platform_movedlib.dll"), 0);
    ASSERT_TRUE(SetDllDirectoryW(norva::test::Wide(folder_).c_str()));
    EXPECT_EQ(canLoad_("platform_movedlib.dll"), 1);
    ASSERT_TRUE(SetDllDirectoryW(u""));
    EXPECT_EQ(canLoad_("platform_movedlib.dll"), 0);
}
