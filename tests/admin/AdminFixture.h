// A CZentor over the simulated drivers, with the helpers the administration tests share:
// the holder record as the token stores it, member results as plain values.
#pragma once

#include <cstring>
#include <optional>
#include <string>

#include "component/access/UserRecord.h"
#include "tests/support/AccessFixture.h"

class AdminTest : public AccessTest {
protected:
    // The record object on the first reader's token (as stored), if there is one.
    std::optional<UserRecord> StoredRecord(const std::string& stateName = "") {
        const tokensim::CTokenState state = sims.Tokens(stateName);
        for (const tokensim::CObject& object : state.readers.at(0).token.objects) {
            const sim::Bytes* label = object.Find(CKA_LABEL);
            const sim::Bytes* value = object.Find(CKA_VALUE);
            if (label && value && value->size() == sizeof(UserRecord) &&
                std::string(label->begin(), label->end()) ==
                    std::string("NorvaEFTUserData") + '\0') {
                UserRecord record;
                std::memcpy(&record, value->data(), sizeof record);
                return record;
            }
        }
        return std::nullopt;
    }

    static std::string Text(BSTR text) {
        std::string bytes;
        for (UINT i = 0; i < SysStringLen(text); ++i) {
            bytes += static_cast<char>(text[i]);
        }
        return bytes;
    }

    template <typename Getter> std::string Get(Getter getter) {
        OwnedBstr text;
        EXPECT_EQ((zentor.*getter)(text.Put()), S_OK);
        EXPECT_NE(text.Get(), nullptr);
        return Text(text.Get());
    }

    TZentorError Last() {
        TZentorError last = ZTNoError;
        zentor.get_LastZTError(&last);
        return last;
    }

    TPKCS11Error DriverResult() {
        TPKCS11Error result = ZT_CKR_OK;
        zentor.get_PKCS11Error(&result);
        return result;
    }

    static std::string Field(const char* bytes, size_t width) {
        return std::string(bytes, strnlen(bytes, width));
    }
};
