// What the token simulator keeps between processes: readers, the token in each, the
// token's PINs and objects. Stored as JSON in the state file; faults and the call log
// sit beside it in the same file (testing/common/CallControl.h).
#pragma once

#include <string>
#include <vector>

#include <json/json.h>

#include "component/access/drivers/Pkcs11.h"
#include "testing/common/Bytes.h"

namespace tokensim {

using sim::Bytes;

struct CAttribute {
    CK_ATTRIBUTE_TYPE type;
    Bytes value;
};

struct CObject {
    CK_OBJECT_HANDLE handle = 0;
    std::vector<CAttribute> attributes; // in the order they were given

    const Bytes* Find(CK_ATTRIBUTE_TYPE type) const;
    bool Flag(CK_ATTRIBUTE_TYPE type, bool fallback) const;
    CK_ULONG Number(CK_ATTRIBUTE_TYPE type, CK_ULONG fallback) const;
    void Set(CK_ATTRIBUTE_TYPE type, const Bytes& value);
};

struct CToken {
    std::string label = std::string(32, ' '); // 32 bytes, blank-padded
    std::string serial;
    bool initialized = false;
    Bytes soPin;
    Bytes userPin;
    bool userPinInitialized = false;
    bool userPinExpired = false;
    bool soPinExpired = false;
    int userPinFailures = 0;
    int soPinFailures = 0;
    CK_OBJECT_HANDLE nextHandle = 1;
    std::vector<CObject> objects;
};

struct CReader {
    CK_SLOT_ID slot = 0;
    std::string description;
    bool hardware = true;
    bool present = true;
    // C_GetTokenInfo fails for this reader (a reader that cannot read its card).
    bool tokenInfoFails = false;
    CToken token;
};

struct CTokenState {
    std::vector<CReader> readers;
    int maxPinFailures = 3;
    CK_SLOT_ID nextSlot = 1;
    int nextSerial = 1;
    // The next this many signatures come out empty: C_Sign answers CKR_OK and no bytes, as a
    // faulty driver might.
    int emptySignatures = 0;

    CReader* FindReader(CK_SLOT_ID slot);
    // A new reader holding a new blank token, appended to the list.
    CReader& AddReader(const std::string& description);
    // A blank, uninitialised token with a serial number of its own.
    CToken NewToken();
};

// The state held in `root`; a null root (no state file yet) gives one hardware reader
// with one blank token.
CTokenState LoadTokenState(const Json::Value& root);
// Writes the state into `root`, keeping the faults and call-log entries there.
void StoreTokenState(const CTokenState& state, Json::Value& root);

} // namespace tokensim
