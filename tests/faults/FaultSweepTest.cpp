// Each token operation, run once on a prepared virtual token (or device) to learn the driver
// calls it makes, then run again once for each of those calls with that one call failing.
// Every failed run must answer an outcome that the error model gives for that call, leave
// no session, logon or library behind, and leave the token either as it was, or as the
// clean run left it (formatting: as one of its steps left it), never half-written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "component/access/UserRecord.h"
#include "testing/common/Crypto.h"
#include "testing/support/SimFixture.h"
#include "tests/faults/SweepOperations.h"
#include "tests/signing/CPromptDouble.h"
#include "tests/support/SimulatedDrivers.h"

namespace faults {

namespace {

constexpr uint32_t kDeviceError = 0x30;       // CKR_DEVICE_ERROR
constexpr uint32_t kVendorError = 0x80000001; // a driver's own code
constexpr uint32_t kPinExpired = 0xA3;        // CKR_PIN_EXPIRED
constexpr uint32_t kCardPinExpired = 41028;   // the device's expired-PIN answer

// What a run can leave on the token or device, compared as a whole. The record's
// formatting time is reduced to whether it is set: formatting runs take place at
// different seconds.
struct Picture {
    std::string token; // label, PINs
    std::string userPin;
    std::multiset<std::string> keys; // class, label, modulus length: new keys are random
    std::string record;              // "" when there is none
    bool operator==(const Picture&) const = default;
};

std::string Field(const std::string& record, size_t offset, size_t width) {
    return record.substr(offset, width);
}

Picture TakePicture(const sim::CSimFixture& sims, TFamily family) {
    Picture picture;
    if (family == TFamily::Device) {
        const hlsim::CHlState card = sims.Card();
        picture.token = sim::ToHex(card.key.n) + "/" + sim::ToHex(card.pin);
        picture.record.assign(reinterpret_cast<const char*>(&card.userData), sizeof card.userData);
        picture.record.append(reinterpret_cast<const char*>(&card.specialData),
                              sizeof card.specialData);
        return picture;
    }
    const tokensim::CTokenState state = sims.Tokens();
    const tokensim::CToken& token = state.readers.at(0).token;
    picture.token = token.label + "/" + sim::ToHex(token.soPin);
    picture.userPin = token.userPinInitialized ? sim::ToHex(token.userPin) : "";
    for (const tokensim::CObject& object : token.objects) {
        const sim::Bytes* label = object.Find(CKA_LABEL);
        const sim::Bytes* value = object.Find(CKA_VALUE);
        if (object.Number(CKA_CLASS, 0) == CKO_DATA && value) {
            std::string record(value->begin(), value->end());
            if (record.size() == kUserRecordSize && record[offsetof(UserRecord, CreateTime)]) {
                record.replace(offsetof(UserRecord, CreateTime), 14, "<set>" + std::string(9, 0));
            }
            picture.record += record; // two records show up as one of the wrong size
            continue;
        }
        const sim::Bytes* modulus = object.Find(CKA_MODULUS);
        picture.keys.insert(std::to_string(object.Number(CKA_CLASS, 0)) + ":" +
                            (label ? std::string(label->begin(), label->end()) : "") + ":" +
                            std::to_string(modulus ? modulus->size() : 0));
    }
    return picture;
}

std::string Describe(const Picture& picture) {
    std::string keys;
    for (const std::string& key : picture.keys) {
        keys += key.substr(0, 40) + " ";
    }
    return picture.token + " pin " + picture.userPin + " keys " + keys + " record " +
           sim::ToHex(sim::Bytes(picture.record.begin(), picture.record.end()));
}

// Formatting that stopped between steps: each part is missing or as the clean run left it.
bool IsStepOf(const Picture& seen, const Picture& final) {
    if (seen.token != final.token || (!seen.userPin.empty() && seen.userPin != final.userPin) ||
        (!seen.keys.empty() && seen.keys != final.keys)) {
        return false;
    }
    if (seen.record.empty()) {
        return true;
    }
    if (seen.record.size() != kUserRecordSize || final.record.size() != kUserRecordSize) {
        return false;
    }
    static constexpr size_t kFields[][2] = {{0, 25},   {25, 25},  {50, 50}, {100, 15},
                                            {115, 20}, {135, 20}, {155, 20}};
    for (const auto& [offset, width] : kFields) {
        const std::string field = Field(seen.record, offset, width);
        if (field != std::string(width, '\0') && field != Field(final.record, offset, width)) {
            return false;
        }
    }
    return true;
}

// Sessions, logons and libraries that the run left behind, from its call log.
std::string LeftOpen(const std::vector<sim::CCallRecord>& calls) {
    std::set<std::string> sessions, handles, logons;
    int initialised = 0;
    std::string left;
    for (const sim::CCallRecord& call : calls) {
        const bool ok = call.result == 0;
        const std::string& f = call.function;
        if (f == "C_Initialize") {
            ++initialised;
        } else if (f == "C_Finalize") {
            --initialised;
            if (!sessions.empty()) {
                left += " sessions at C_Finalize";
            }
        } else if (f == "C_OpenSession" && ok) {
            sessions.insert(call.Arg("handle"));
        } else if (f == "C_CloseSession" && ok) {
            sessions.erase(call.Arg("session"));
        } else if (f == "C_CloseAllSessions" && ok) {
            sessions.clear();
        } else if (f == "hl_on" && ok) {
            handles.insert(call.Arg("handle"));
        } else if (f == "hl_logon" && ok) {
            logons.insert(call.Arg("handle"));
        } else if (f == "hl_logoff" || f == "hl_off") {
            logons.erase(call.Arg("handle"));
            if (f == "hl_off") {
                handles.erase(call.Arg("handle"));
            }
        }
    }
    if (initialised != 0) {
        left += " library not finalised";
    }
    if (!sessions.empty() || !handles.empty() || !logons.empty()) {
        left += " sessions/handles/logons left open";
    }
    return left;
}

class FaultSweepTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDllDirectoryA(sims.Folder().c_str());
        // Held loaded for the whole sweep, as a long-lived caller keeps them: a Windows
        // runtime library linked into a DLL takes a thread-local slot each time the DLL is
        // loaded and never gives it back, so some 500 loads and unloads of a simulator would
        // use up the process's slots.
        for (const LONG cardType : {kCardTavlink, kCardBrevo}) {
            held.push_back(
                std::make_unique<sim::CLoadedLibrary>(InstallSimulatedDriver(sims, cardType)));
            ASSERT_TRUE(held.back()->Loaded()) << SimulatedDriverName(cardType);
        }
        PrepareToken();
        PrepareCard();
    }
    void TearDown() override { SetDllDirectoryA(nullptr); }

    // A service token with a 1024-bit key pair and a complete holder record; no card.
    void PrepareToken() {
        sims.EditCard([](hlsim::CHlState& card) { card.cardPresent = false; });
        sims.PrepareToken("Trellmoor", "87654321", "1234");
        tokenInputs = {"1234", "87654321", "", sims.Folder() + "/upload.txt", UploadContent()};
        {
            CZentor zentor;
            zentor.put_CardType(1);
            TZentorError result = ZTNoError;
            const OwnedBstr pin = Text("1234"), so = Text("87654321");
            zentor.FormatToken(so.Get(), &result);
            zentor.InitPIN(pin.Get(), so.Get(), &result);
            zentor.GenerateKeysCustom(pin.Get(), Text("1").Get(), &result);
            ASSERT_EQ(result, ZTNoError);
            zentor.put_FirstName(Text("Dana").Get());
            zentor.put_LastName(Text("Levi").Get());
            zentor.put_Company(Text("Trellmoor Payments").Get());
            zentor.put_UserID(Text("300123456").Get());
            zentor.put_UserCode(Text("77").Get());
            zentor.get_LastZTError(&result);
            ASSERT_EQ(result, ZTNoError);
        }
        std::ofstream(tokenInputs.uploadPath, std::ios::binary) << UploadContent();
        const tokensim::CTokenState state = sims.Tokens();
        for (const tokensim::CObject& object : state.readers.at(0).token.objects) {
            if (const sim::Bytes* modulus = object.Find(CKA_MODULUS)) {
                sim::CRsaKey key;
                key.n = *modulus;
                key.e = {1, 0, 1};
                sim::Bytes block;
                ASSERT_EQ(sim::EncryptPkcs1(key, {0x0A, 0x1B, 0x2C}, block),
                          sim::TCryptoStatus::Ok);
                tokenInputs.cipherHex = sim::ToHex(block);
            }
        }
        tokenState = {ReadFile(sims.TokenStatePath()), ReadFile(sims.HlStatePath())};
    }

    // The default card (PIN 123456, a 1024-bit key, holder data); no token.
    void PrepareCard() {
        sims.EditCard([](hlsim::CHlState& card) { card.cardPresent = true; });
        sims.EditTokens([](tokensim::CTokenState& state) { state.readers.clear(); });
        deviceInputs = tokenInputs;
        deviceInputs.userPin = "123456";
        deviceInputs.cipherHex = "00" + std::string(254, '1');
        deviceState = {ReadFile(sims.TokenStatePath()), ReadFile(sims.HlStatePath())};
    }

    static std::string ReadFile(const std::string& path) {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }

    // Puts the prepared state back, with an empty call log and no faults.
    void Restore(TFamily family) {
        const auto& [tokens, card] = family == TFamily::Token ? tokenState : deviceState;
        std::ofstream(sims.TokenStatePath(), std::ios::binary | std::ios::trunc) << tokens;
        std::ofstream(sims.HlStatePath(), std::ios::binary | std::ios::trunc) << card;
        sims.ClearCalls();
    }

    int Run(const Operation& operation) {
        CZentor zentor(nullptr, std::make_unique<CPromptDouble>(true));
        if (operation.cardType != 0) {
            zentor.put_CardType(operation.cardType);
        }
        return operation.run(zentor,
                             operation.family == TFamily::Token ? tokenInputs : deviceInputs);
    }

    std::vector<sim::CCallRecord> Calls(TFamily family) const {
        return family == TFamily::Token ? sims.TokenCalls() : sims.HlCalls();
    }

    sim::CSimFixture sims;
    std::vector<std::unique_ptr<sim::CLoadedLibrary>> held; // unloaded before `sims` goes
    Inputs tokenInputs, deviceInputs;
    std::pair<std::string, std::string> tokenState, deviceState;
};

// The outcomes allowed for `function` failing with `variant` ("" or "expired") in `phase`,
// or the clean run's outcome when the phase names no other.
std::vector<int> AllowedOutcomes(const Phase& phase, const std::string& function,
                                 const std::string& variant, int clean) {
    const auto find = [&](const std::string& name) -> const Allowed* {
        for (const Allowed& allowed : phase.allowed) {
            if (allowed.function == name) {
                return &allowed;
            }
        }
        return nullptr;
    };
    if (!variant.empty()) {
        if (const Allowed* own = find(function + ":" + variant)) {
            return own->outcomes;
        }
        return {ZTLoginPinExpired};
    }
    const Allowed* allowed = find(function);
    return allowed ? allowed->outcomes : std::vector<int>{clean};
}

TEST_F(FaultSweepTest, EveryDriverCallOfEveryOperationFailsCleanly) {
    size_t pairs = 0, runs = 0;
    for (const Operation& operation : SweepOperations()) {
        Restore(operation.family);
        const Picture before = TakePicture(sims, operation.family);
        const int clean = Run(operation);
        const std::vector<sim::CCallRecord> sequence = Calls(operation.family);
        const Picture after = TakePicture(sims, operation.family);
        ASSERT_FALSE(sequence.empty()) << operation.name;
        EXPECT_EQ(LeftOpen(sequence), "") << operation.name << " (clean run)";

        size_t phase = 0;
        std::map<std::string, uint32_t> occurrences;
        for (const sim::CCallRecord& call : sequence) {
            ++pairs;
            const std::string& function = call.function;
            const uint32_t occurrence = ++occurrences[function];
            const bool device = operation.family == TFamily::Device;
            std::vector<std::pair<std::string, uint32_t>> variants = {
                {"", device ? kVendorError : kDeviceError}};
            if (function == "C_Login") {
                variants.emplace_back("expired", kPinExpired);
            } else if (function == "hl_logon") {
                variants.emplace_back("expired", kCardPinExpired);
            }
            static const Phase kRest;
            const Phase& current =
                phase < operation.phases.size() ? operation.phases[phase] : kRest;
            for (const auto& [variant, result] : variants) {
                ++runs;
                Restore(operation.family);
                if (device) {
                    sims.InjectHlFault(function, result, occurrence);
                } else {
                    sims.InjectTokenFault(function, result, occurrence);
                }
                const int outcome = Run(operation);
                const std::string where = operation.name + ", " + function + " #" +
                                          std::to_string(occurrence) + " " + variant;
                const std::vector<int> allowed = AllowedOutcomes(current, function, variant, clean);
                EXPECT_THAT(allowed, ::testing::Contains(outcome)) << where;
                EXPECT_EQ(LeftOpen(Calls(operation.family)), "") << where;
                const Picture seen = TakePicture(sims, operation.family);
                Picture pinOnly = after;
                pinOnly.record = before.record;
                EXPECT_TRUE(
                    seen == before || seen == after ||
                    (operation.shape == TShape::StepsOfFormatting && IsStepOf(seen, after)) ||
                    (operation.shape == TShape::PinBeforeRecord && seen == pinOnly))
                    << where << ": the token is neither as before nor as after\n"
                    << Describe(seen) << "\nbefore " << Describe(before) << "\nafter "
                    << Describe(after);
            }
            if (!current.until.empty() && function == current.until) {
                ++phase;
            }
        }
    }
    std::printf("fault sweep: %zu (operation, call) pairs, %zu failed runs\n", pairs, runs);
    EXPECT_GT(pairs, 300u);
}

} // namespace

} // namespace faults
