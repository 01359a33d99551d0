// Test support for code that loads the simulated drivers.
//
// A CSimFixture gives one test a folder of its own, installs simulator libraries in it
// under the drivers' file names, and points the simulators at fresh state files there
// (TOKENSIM_STATE, HLSIM_STATE, and TOKENSIM_STATE_<name> for a library that gets
// tokens of its own). Call logs are on from the start. Everything is undone when the
// fixture is destroyed (variables get their earlier values back).
//
//   sim::CSimFixture sims;
//   sims.Install(sim::TSimulator::Token, "tavlink");                // libtavlink.so / tavlink.dll
//   sims.Install(sim::TSimulator::Token, "eTpkcs11", "second");     // its own tokens
//   sims.Install(sim::TSimulator::Device, "brevo32");
//   sims.EditTokens([](tokensim::CTokenState& s) { s.readers[0].tokenInfoFails = true; });
//   sims.InjectTokenFault("C_Login", 0x80000001, 2);                // second C_Login fails
//   ... load sims.Folder() + "/" + sim::LibraryFileName("tavlink") and call it ...
//   EXPECT_EQ(sims.TokenCalls()[0].function, "C_Initialize");
//
// State names: "" is the shared token state (TOKENSIM_STATE); any other name is a state
// file of its own, used by the libraries installed with that name.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "testing/common/CallControl.h"
#include "testing/common/SystemSeams.h"
#include "testing/hlsim/HlState.h"
#include "testing/tokensim/TokenState.h"

namespace sim {

enum class TSimulator {
    Token,        // tokensim: every C_* function
    PartialToken, // tokensim_partial: lacks C_InitToken, C_InitPIN, C_WaitForSlotEvent
    Device,       // hlsim: the hl_* functions
};

class CSimFixture {
public:
    CSimFixture();
    ~CSimFixture();
    CSimFixture(const CSimFixture&) = delete;
    CSimFixture& operator=(const CSimFixture&) = delete;

    const std::string& Folder() const { return m_folder; }

    // Copies the simulator library from the build's bin folder (NORVA_BIN, else the
    // current folder) into Folder() as the library file of `driverName` ("tavlink"
    // becomes libtavlink.so or tavlink.dll) and returns its path. A token simulator
    // installed with a `stateName` keeps its tokens in that state file.
    std::string Install(TSimulator simulator, const std::string& driverName,
                        const std::string& stateName = "");

    std::string TokenStatePath(const std::string& stateName = "") const;
    std::string HlStatePath() const;

    // Reads, changes and writes a state under its lock (as simctl does).
    void EditTokens(const std::function<void(tokensim::CTokenState&)>& change,
                    const std::string& stateName = "");
    void EditCard(const std::function<void(hlsim::CHlState&)>& change);
    tokensim::CTokenState Tokens(const std::string& stateName = "") const;
    hlsim::CHlState Card() const;

    // A token ready for use: initialised with `label` (blank-padded to 32), SO PIN and
    // user PIN, in the first reader. Returns the slot.
    CK_SLOT_ID PrepareToken(const std::string& label, const std::string& soPin,
                            const std::string& userPin, const std::string& stateName = "");

    // `result` on the `onCall`-th call of `function` from now (0: on every call).
    void InjectTokenFault(const std::string& function, uint32_t result, uint32_t onCall = 0,
                          const std::string& stateName = "");
    void InjectHlFault(const std::string& function, uint32_t result, uint32_t onCall = 0);

    std::vector<CCallRecord> TokenCalls(const std::string& stateName = "") const;
    std::vector<CCallRecord> HlCalls() const;
    void ClearCalls();

    // Sets an environment variable (TOKENSIM_PAUSE, TOKENSIM_OVERSTATE, ...) until the
    // fixture goes.
    void SetVariable(const std::string& name, const std::string& value);

private:
    std::string StateFile(const std::string& name) const;
    std::string LogFile(const std::string& name) const;
    void PrepareState(const std::string& name);

    std::string m_folder;
    std::vector<std::pair<std::string, std::string>> m_variables; // name, earlier value
    std::vector<std::string> m_stateNames;
};

// A library loaded for a test; unloaded when the object goes.
class CLoadedLibrary {
public:
    explicit CLoadedLibrary(const std::string& path) : m_handle(OpenLibrary(path)) {}
    ~CLoadedLibrary() {
        if (m_handle)
            CloseLibrary(m_handle);
    }
    CLoadedLibrary(const CLoadedLibrary&) = delete;
    CLoadedLibrary& operator=(const CLoadedLibrary&) = delete;

    bool Loaded() const { return m_handle != nullptr; }
    template <typename T> T Get(const char* name) const {
        return m_handle ? reinterpret_cast<T>(LibrarySymbol(m_handle, name)) : nullptr;
    }

private:
    void* m_handle;
};

} // namespace sim
