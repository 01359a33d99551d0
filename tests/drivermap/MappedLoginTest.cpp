// A driver of the component reaches the token through the mapping: the component asks
// for "tavlink.dll", initialises the mapped module and logs in through it.
#include "tests/drivermap/MappedDriverFixture.h"

#include "component/access/CTokenDriver.h"
#include "component/access/DriverMap.h"

#include <algorithm>

namespace {

namespace fs = std::filesystem;

void MapTavlink(const fs::path& module) {
    ASSERT_EQ(norva::WriteDriverMapping(norva::MappingScope::User, *DriverForCardType(kCardTavlink),
                                        module.string()),
              ERROR_SUCCESS);
}

using MappedLogin = MappedDriverTest;

TEST_F(MappedLogin, LogsInThroughTheMappedModuleWithTheTokensAnswer) {
    const CK_SLOT_ID slot = PrepareToken("Trellmoor");
    MapTavlink(vendorModule);
    sims.ClearCalls();
    TPKCS11Error results = ZT_CKR_OK;
    const auto driver = CTokenDriver::Create(*DriverForCardType(kCardTavlink), results);
    ASSERT_TRUE(driver->IsLoaded());
    const auto calls = sims.TokenCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].function, "C_Initialize");

    const struct {
        std::string pin;
        CK_RV expected;
    } cases[] = {{"1234", CKR_OK}, {"4321", CKR_PIN_INCORRECT}, {"1234", CKR_OK}};
    for (const auto& c : cases) {
        CK_SESSION_HANDLE session = 0;
        constexpr CK_FLAGS kFlags = CKF_SERIAL_SESSION | CKF_RW_SESSION;
        ASSERT_EQ(driver->CallUnrecorded(&Pkcs11Table::C_OpenSession, slot, kFlags, nullptr,
                                         nullptr, &session),
                  CKR_OK);
        std::string pin = c.pin;
        EXPECT_EQ(driver->CallUnrecorded(&Pkcs11Table::C_Login, session, CKU_USER,
                                         reinterpret_cast<CK_UTF8CHAR*>(pin.data()),
                                         static_cast<CK_ULONG>(pin.size())),
                  c.expected)
            << c.pin;
        EXPECT_EQ(driver->CallUnrecorded(&Pkcs11Table::C_CloseSession, session), CKR_OK);
    }
    const auto logins = sims.TokenCalls();
    EXPECT_EQ(
        std::count_if(logins.begin(), logins.end(),
                      [](const sim::CCallRecord& call) { return call.function == "C_Login"; }),
        3);
}

} // namespace
