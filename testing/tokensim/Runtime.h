// What lives only inside one process that loaded the token simulator: whether it was
// initialised, its sessions, its logins and their running operations. Every call locks
// the process mutex and the state file, loads the state, runs, and stores the state
// when it changed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "testing/common/CallControl.h"
#include "testing/tokensim/TokenState.h"

namespace tokensim {

// A cryptographic operation started by an ...Init call.
struct COperation {
    bool active = false;
    CK_MECHANISM_TYPE mechanism = 0;
    CK_OBJECT_HANDLE key = 0;
    Bytes data; // collected by the multi-part calls
};

struct CSession {
    CK_SLOT_ID slot = 0;
    std::string serial; // of the token the session was opened on
    CK_FLAGS flags = 0;
    bool findActive = false;
    std::vector<CK_OBJECT_HANDLE> found;
    size_t nextFound = 0;
    COperation sign, verify, encrypt, decrypt, digest;
};

// Who is logged in to a token (by serial): PKCS#11 logins belong to the application,
// so all its sessions on that token share one.
struct CLogin {
    CK_USER_TYPE user = 0;
    bool pinChangeOnly = false; // logged in with an expired PIN: only C_SetPIN works
};

struct CRuntime {
    std::mutex mutex;
    bool initialized = false;
    CK_SESSION_HANDLE nextSession = 1;
    std::map<CK_SESSION_HANDLE, CSession> sessions;
    std::map<std::string, CLogin> logins;
    // The token state as last decoded, and the state file version it matches (0: none).
    CTokenState decoded;
    uint64_t decodedVersion = 0;
};

CRuntime& Runtime();

// One call in progress: the loaded state, this process's runtime, and the arguments
// that go to the call log (operations may add their outputs).
struct CCall {
    CTokenState& state;
    CRuntime& runtime;
    sim::TCallArgs& log;
    bool changed = false;

    void Arg(const std::string& name, const std::string& value) { log.emplace_back(name, value); }
    void Arg(const std::string& name, unsigned long value) { Arg(name, std::to_string(value)); }
};

enum class TNeedsInit { Yes, No };

// Runs `operation` under both locks with fault injection and call logging.
// What TOKENSIM_OVERSTATE asks `function` to report; 0 when nothing.
CK_ULONG OverstatedLength(const char* function);

CK_RV Dispatch(const char* function, sim::TCallArgs args,
               const std::function<CK_RV(CCall&)>& operation,
               TNeedsInit needsInit = TNeedsInit::Yes);

// The state file this library instance uses: TOKENSIM_STATE_<library name> when set
// (so two libraries can hold different tokens), else TOKENSIM_STATE, else
// "tokensim-state.json" in the current folder.
std::string StatePath();

} // namespace tokensim
