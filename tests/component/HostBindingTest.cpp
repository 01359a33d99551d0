// How the host binds to the component: through COM when the class is registered (no
// library beside the host needed), through the library's class factory when it is not,
// and the 709 reply when neither works.
#include <gtest/gtest.h>

#include <cstdint>

#include "component/OleString.h"
#include "tests/support/ChildProcess.h"

namespace {

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

HRESULT CallComponent(const char* entryName) {
    HMODULE module = LoadLibraryW(Widen("NorvaDigitalIDIF.dll").c_str());
    if (module == nullptr) {
        return E_UNEXPECTED;
    }
    const auto entry =
        reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(module, entryName)));
    const HRESULT hr = entry != nullptr ? entry() : E_UNEXPECTED;
    FreeLibrary(module);
    return hr;
}

std::string Framed(const std::string& json) {
    const auto length = static_cast<uint32_t>(json.size());
    std::string frame;
    for (int shift = 0; shift < 32; shift += 8) {
        frame += static_cast<char>((length >> shift) & 0xFF);
    }
    return frame + json;
}

class HostBinding : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, CallComponent("DllUnregisterServer"));
        // A host alone in its folder: the library it may find there is up to each test.
        const std::string host = norva::test::ProgramFile("NorvaHost");
        std::filesystem::copy_file(norva::test::ProgramFolder() / host, folder.path() / host);
        hostPath = folder.path() / host;
    }
    void TearDown() override { CallComponent("DllUnregisterServer"); }

    std::string Reply() {
        // The host holds its one object until the process ends, by design; the leak
        // checker of a sanitizer build would count that as a leak.
        const norva::test::ChildRun run = norva::test::RunChild(
            hostPath, Framed(R"({"func":"HostVersion"})"), {{"ASAN_OPTIONS", "detect_leaks=0"}});
        EXPECT_EQ(0, run.exitCode);
        return run.output.size() > 4 ? run.output.substr(4) : "";
    }

    norva::test::CTempFolder folder;
    std::filesystem::path hostPath;
};

TEST_F(HostBinding, ARegisteredComponentIsCreatedThroughComWithNoLibraryBesideTheHost) {
    ASSERT_EQ(S_OK, CallComponent("DllRegisterServer"));
    const std::string reply = Reply();
    EXPECT_EQ(std::string::npos, reply.find("709")) << reply;
    EXPECT_NE(std::string::npos, reply.find("LastZTError")) << reply;
}

TEST_F(HostBinding, AnUnregisteredComponentBesideTheHostIsBoundThroughItsClassFactory) {
    const std::string library = norva::test::LibraryFile("NorvaDigitalIDIF");
    std::filesystem::copy_file(norva::test::ProgramFolder() / library, folder.path() / library);
    const std::string reply = Reply();
    EXPECT_EQ(std::string::npos, reply.find("709")) << reply;
    EXPECT_NE(std::string::npos, reply.find("LastZTError")) << reply;
}

TEST_F(HostBinding, NeitherRegisteredNorBesideTheHostGivesTheComponentError) {
    const std::string reply = Reply();
    EXPECT_NE(std::string::npos, reply.find("709")) << reply;
    EXPECT_NE(std::string::npos, reply.find("COM component accessing error")) << reply;
}

} // namespace
