// A CZentor and a CTokenAccess whose driver libraries are the simulators, installed
// under the drivers' names in a folder of the test's own that the library loader
// searches last.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/CZentor.h"
#include "testing/support/SimFixture.h"
#include "component/access/CTokenAccess.h"
#include "platform/OwnedBstr.h"
#include "tests/support/SimulatedDrivers.h"
#include "tests/support/TestPins.h"

inline constexpr char kServiceLabel[] = "Trellmoor";

// A BSTR made from ASCII or single-byte text, each byte one UTF-16 unit.
OwnedBstr SingleByteBstr(const std::string& text);

class AccessTest : public ::testing::Test {
protected:
    AccessTest();
    ~AccessTest() override;

    // tavlink and eTpkcs11 share the token state unless eTpkcs11 is given its own.
    void InstallTavlink() { InstallSimulatedDriver(sims, kCardTavlink); }
    void InstallEtPkcs11(const std::string& stateName = "") {
        InstallSimulatedDriver(sims, kCardEtPkcs11, stateName);
    }
    void InstallBrevo() { InstallSimulatedDriver(sims, kCardBrevo); }

    // The first reader's token, initialised and labelled (blank-padded to 32).
    void LabelToken(const std::string& label, const std::string& stateName = "");
    void RemoveTokens(const std::string& stateName = "");
    void RemoveCard();

    // What the TokensCount and NorvaEFTTokensCount members report, through `access`.
    LONG TokensCount();
    LONG NorvaEFTTokensCount();
    LONG CardType();

    // How often the simulators were asked for a function since the last ClearCalls.
    size_t TokenCallCount(const std::string& function, const std::string& stateName = "");
    size_t HlCallCount(const std::string& function);
    std::vector<sim::CCallRecord> TokenCallsOf(const std::string& function,
                                               const std::string& stateName = "");

    // What the current driver's token says of the session the driver holds, asked through
    // the driver without reporting a result: whether it is open (PKCS#11 family), and
    // whether the token holds a login for it (either family).
    bool TokenSessionOpen();
    bool TokenLoggedIn();

    // Ends the session of `access` as the end of an operation does.
    void EndSession() { const CTokenAccess::CSessionScope end(access); }

    sim::CSimFixture sims;
    CZentor zentor;
    CTokenAccess access;
};
