// The host's request handling from raw standard-input bytes to the reply, with the real
// component on a virtual service token holding a key pair. The upload prompt is a double
// that confirms requests of up to kConfirmedRequest bytes and declines longer ones. The
// token is seeded once; its state file is put back only after a request changed it.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "component/CZentor.h"
#include "testing/common/StateFile.h"
#include "testing/support/SimFixture.h"
#include "tests/fuzz/HostReplyCheck.h"
#include "tests/signing/CPromptDouble.h"
#include "tests/signing/ServiceKey.h"

namespace {

constexpr char kUserPin[] = "592604";
// Every record of a confirmed upload is a login, a digest and an RSA signature on the
// token, and grown inputs hold dozens of records: signing them all made this target run at
// a tenth of its speed without reaching new code. Longer uploads are still read and
// reviewed in full, and then declined; a request this long carries at most about a dozen
// records.
constexpr size_t kConfirmedRequest = 512;

std::unique_ptr<sim::CSimFixture> g_sims;
std::string g_seededState;
CZentor* g_component = nullptr;

IZentor* Bind() {
    return g_component;
}

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void SeedToken() {
    // Kept loaded for the whole run, as a driver stays mapped in a long-lived browser host:
    // each request then only initialises it instead of mapping it afresh.
    sim::OpenLibrary(g_sims->Install(sim::TSimulator::Token, "tavlink"));
    g_sims->PrepareToken("Trellmoor", "87654321", kUserPin);
    SetDllDirectoryA(g_sims->Folder().c_str());
    {
        CTokenAccess access;
        access.UseDriver(1);
        std::u16string pin(kUserPin, kUserPin + sizeof kUserPin - 1);
        BSTR text = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(pin.data()),
                                      static_cast<UINT>(pin.size()));
        std::vector<uint8_t> modulus;
        const bool made = MakeServiceKey(access, text, 1024, modulus);
        SysFreeString(text);
        access.UseDriver(0);
        if (!made) {
            std::abort();
        }
    }
    // No call log: it would grow by every call of every run.
    sim::CStateFile(g_sims->TokenStatePath()).Update([](Json::Value& state) {
        state.removeMember("callLog");
        return true;
    });
    g_seededState = FileText(g_sims->TokenStatePath());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
    namespace fs = std::filesystem;
    // The simulator is read from the program's own folder; its state lives in memory where
    // the system offers it, and the registry store is one of the run's own.
    setenv("NORVA_BIN", fs::absolute((*argv)[0]).parent_path().c_str(), 0);
    if (access("/dev/shm", W_OK) == 0) {
        setenv("TMPDIR", "/dev/shm", 1);
    }
    g_sims = std::make_unique<sim::CSimFixture>();
    setenv("XDG_CONFIG_HOME", g_sims->Folder().c_str(), 1);
    SeedToken();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        CZentor component(nullptr, std::make_unique<CPromptDouble>(size <= kConfirmedRequest));
        g_component = &component;
        norva::fuzz::ServeAndCheck(data, size, &Bind);
        g_component = nullptr;
    }
    const std::string path = g_sims->TokenStatePath();
    if (FileText(path) != g_seededState) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << g_seededState;
    }
    return 0;
}
