// Loading driver libraries, resolving their entry points, and initialising and
// finalising each PKCS#11 library once per process.
#include "tests/support/AccessFixture.h"

#include "component/access/CTokenDriver.h"
#include "component/access/LibraryUseCounts.h"

#include <algorithm>
#include <cctype>

namespace {

class DriverLoading : public AccessTest {
protected:
    TPKCS11Error results = ZT_CKR_OK; // what drivers made outside `access` record
};

TEST_F(DriverLoading, TwoDriversOfOneLibraryInitialiseOnceAndFinaliseOnceAtTheLast) {
    InstallEtPkcs11();
    auto first = CTokenDriver::Create(*DriverForCardType(kCardEtPkcs11), results);
    auto second = CTokenDriver::Create(*DriverForCardType(kCardEtPkcs11), results);
    ASSERT_TRUE(first->IsLoaded());
    const auto initialised = TokenCallsOf("C_Initialize");
    ASSERT_EQ(initialised.size(), 1u);
    EXPECT_EQ(initialised[0].Arg("flags"), std::to_string(CKF_OS_LOCKING_OK));

    first.reset();
    EXPECT_EQ(TokenCallCount("C_Finalize"), 0u);
    second.reset();
    EXPECT_EQ(TokenCallCount("C_Finalize"), 1u);
    EXPECT_EQ(TokenCallCount("C_Initialize"), 1u);
}

TEST_F(DriverLoading, LibraryLackingAnEntryPointLoadsAndOnlyThatCallAnswersNotSupported) {
    sims.Install(sim::TSimulator::PartialToken, SimulatedDriverName(kCardTavlink));
    const auto driver = CTokenDriver::Create(*DriverForCardType(kCardTavlink), results);
    ASSERT_TRUE(driver->IsLoaded());
    CK_UTF8CHAR label[32] = {};
    EXPECT_EQ(driver->CallUnrecorded(&Pkcs11Table::C_InitToken, 0, nullptr, 0, label),
              CKR_FUNCTION_NOT_SUPPORTED);
    EXPECT_EQ(TokenCallCount("C_InitToken"), 0u);

    CK_SLOT_ID slots[4] = {};
    CK_ULONG count = 4;
    EXPECT_EQ(driver->CallUnrecorded(&Pkcs11Table::C_GetSlotList, CK_TRUE, slots, &count), CKR_OK);
    EXPECT_EQ(count, 1u);
}

TEST_F(DriverLoading, MissingLibraryGivesStubsForItsWholeFamily) {
    const auto pkcs11 = CTokenDriver::Create(*DriverForCardType(kCardTavlink), results);
    EXPECT_FALSE(pkcs11->IsLoaded());
    EXPECT_EQ(pkcs11->GetCardType(), kCardTavlink);
    CK_ULONG count = 0;
    EXPECT_EQ(pkcs11->CallUnrecorded(&Pkcs11Table::C_GetSlotList, CK_TRUE, nullptr, &count),
              CKR_FUNCTION_NOT_SUPPORTED);
    EXPECT_EQ(pkcs11->CallUnrecorded(&Pkcs11Table::C_Finalize, nullptr),
              CKR_FUNCTION_NOT_SUPPORTED);
    EXPECT_EQ(pkcs11->CallUnrecorded(&Pkcs11Table::C_WaitForSlotEvent, 0, nullptr, nullptr),
              CKR_FUNCTION_NOT_SUPPORTED);

    const auto device = CTokenDriver::Create(*DriverForCardType(kCardBrevo), results);
    EXPECT_FALSE(device->IsLoaded());
    int32_t handle = -1;
    EXPECT_EQ(device->HlCall(&HlTable::hl_on, &handle, 1, 0), 84);
    EXPECT_EQ(device->HlCall(&HlTable::hl_sign, handle, nullptr, 0, nullptr, 0, 0), 84);
}

TEST_F(DriverLoading, DeviceDriverThatNeverOpenedAHandleSendsOffWithMinusOne) {
    InstallBrevo();
    CTokenDriver::Create(*DriverForCardType(kCardBrevo), results).reset();
    const auto calls = sims.HlCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].function, "hl_off");
    EXPECT_EQ(calls[0].Arg("handle"), "-1");
}

TEST_F(DriverLoading, CardTypeNamesTheChosenLibraryAndOtherNumbersChooseNone) {
    const auto cardType = [&] {
        LONG value = -1;
        EXPECT_EQ(zentor.get_CardType(&value), S_OK);
        return value;
    };
    EXPECT_EQ(cardType(), 0);
    EXPECT_EQ(zentor.put_CardType(3), S_OK);
    EXPECT_EQ(cardType(), 3);
    zentor.put_CardType(7);
    EXPECT_EQ(cardType(), 0);

    access.UseDriver(kCardEtPkcs11);
    EXPECT_EQ(access.CardType(), kCardEtPkcs11);
    EXPECT_FALSE(access.Driver().IsLoaded()); // no library installed: stubs answer
    access.UseDriver(7);
    EXPECT_EQ(access.CardType(), 0);
}

TEST_F(DriverLoading, CardTypeLeavesTheErrorPropertiesAlone) {
    InstallTavlink();
    access.UseDriver(kCardTavlink);
    sims.InjectTokenFault("C_GetSlotList", 0x80000001, 1);
    CK_SLOT_ID slot = 0;
    ASSERT_EQ(access.SelectToken(TokenScope::Any, slot, Families::All), ZTLabeledTokenNotFound);
    access.UseDriver(kCardTavlink); // finalising and initialising again are not reported
    EXPECT_EQ(access.LastDriverResult(), 0x80000001u);
}

TEST_F(DriverLoading, DriversInstalledIsRetriedUntilALibraryLoadsAndThenStaysTrue) {
    VARIANT_BOOL installed = -1;
    zentor.get_DriversInstalled(&installed);
    EXPECT_EQ(installed, 0);
    zentor.get_DriversInstalled(&installed);
    EXPECT_EQ(installed, 0);

    InstallEtPkcs11();
    zentor.get_DriversInstalled(&installed);
    EXPECT_EQ(installed, 1);
    // The probe's temporary driver initialised and finalised the library it loaded.
    EXPECT_EQ(TokenCallCount("C_Initialize"), 1u);
    EXPECT_EQ(TokenCallCount("C_Finalize"), 1u);

    sims.ClearCalls();
    zentor.get_DriversInstalled(&installed);
    EXPECT_EQ(installed, 1);
    EXPECT_TRUE(sims.TokenCalls().empty());
}

TEST_F(DriverLoading, DriversInstalledDoesNotReinitialiseTheObjectsOwnLibrary) {
    InstallTavlink();
    zentor.put_CardType(1);
    sims.ClearCalls();
    VARIANT_BOOL installed = 0;
    zentor.get_DriversInstalled(&installed);
    EXPECT_EQ(installed, 1);
    EXPECT_EQ(TokenCallCount("C_Initialize"), 0u);
    EXPECT_EQ(TokenCallCount("C_Finalize"), 0u);
}

TEST_F(DriverLoading, EveryDriverOfTheTableLoadsUnderItsOwnLibraryName) {
    for (const DriverEntry& driver : DriverTable()) {
        const std::string name = driver.libraryName;
        std::string shouted = name;
        std::transform(shouted.begin(), shouted.end(), shouted.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        EXPECT_EQ(DriverForLibrary(shouted), &driver) << name;
        EXPECT_EQ(DriverForCardType(driver.cardType), &driver) << name;

        access.UseDriver(driver.cardType);
        EXPECT_FALSE(access.Driver().IsLoaded()) << name << " loaded before it was installed";
        InstallSimulatedDriver(sims, driver.cardType);
        access.UseDriver(driver.cardType);
        EXPECT_TRUE(access.Driver().IsLoaded()) << name;
        EXPECT_EQ(access.CardType(), driver.cardType) << name;
    }
    for (const LONG unknown : {0, 4, -1}) {
        EXPECT_EQ(DriverForCardType(unknown), nullptr) << unknown;
    }
    for (const char* unknown : {"tavlink", "tavlink.so", "brevo32.dll.bak", ""}) {
        EXPECT_EQ(DriverForLibrary(unknown), nullptr) << unknown;
    }
}

TEST(DriverTable, AutomaticChoiceTriesTheDeviceLibraryFirstAndEveryDriverOnce) {
    const auto order = DriversInDetectionOrder();
    ASSERT_EQ(order.size(), DriverTable().size());
    EXPECT_EQ(order[0]->family, DriverFamily::Hl);
    for (const DriverEntry& driver : DriverTable()) {
        EXPECT_EQ(std::count(order.begin(), order.end(), &driver), 1) << driver.libraryName;
        EXPECT_STREQ(FamilyEntryPoint(driver.family), driver.entryPoint);
    }
}

// Distinct fake handles stand for libraries; the table only compares them.
HMODULE FakeModule(uintptr_t n) {
    return reinterpret_cast<HMODULE>(n);
}

TEST(LibraryUseCounts, CountsEachLibraryAndForgetsItAfterItsLastUser) {
    const HMODULE a = FakeModule(0x1000);
    const HMODULE b = FakeModule(0x2000);
    EXPECT_EQ(AcquireLibraryUse(a), 1);
    EXPECT_EQ(AcquireLibraryUse(a), 2);
    EXPECT_EQ(AcquireLibraryUse(b), 1);
    EXPECT_EQ(ReleaseLibraryUse(a), 1);
    EXPECT_EQ(ReleaseLibraryUse(a), 0);
    EXPECT_EQ(ReleaseLibraryUse(a), 0); // no longer held
    EXPECT_EQ(AcquireLibraryUse(a), 1); // counted afresh
    EXPECT_EQ(ReleaseLibraryUse(a), 0);
    EXPECT_EQ(ReleaseLibraryUse(b), 0);
}

TEST(LibraryUseCounts, ReleasingALibraryNeverAcquiredReportsZero) {
    EXPECT_EQ(ReleaseLibraryUse(FakeModule(0x3000)), 0);
}

TEST(LibraryUseCounts, MoreLibrariesThanTheTableHoldsAreNotCounted) {
    std::vector<HMODULE> modules;
    for (uintptr_t i = 1; i <= 10; ++i) {
        modules.push_back(FakeModule(0x10000 + i));
        EXPECT_EQ(AcquireLibraryUse(modules.back()), 1);
    }
    EXPECT_EQ(AcquireLibraryUse(FakeModule(0x20000)), 0);
    for (const HMODULE module : modules) {
        EXPECT_EQ(ReleaseLibraryUse(module), 0);
    }
    // Freed entries are reused.
    EXPECT_EQ(AcquireLibraryUse(FakeModule(0x20000)), 1);
    EXPECT_EQ(ReleaseLibraryUse(FakeModule(0x20000)), 0);
}

} // namespace
