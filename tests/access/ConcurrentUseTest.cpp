// Objects used from two threads at once: the process-wide counts stay balanced, and a
// library used by one thread is never left finalised by the other.
#include <atomic>
#include <chrono>
#include <thread>

#include "component/CNorvaDigitalIDIFModule.h"
#include "component/CZentorFactory.h"
#include "tests/support/AccessFixture.h"

namespace {

constexpr int kRounds = 150;
constexpr int kObjectsPerRound = 200;

using ConcurrentUse = AccessTest;

TEST_F(ConcurrentUse, TwoThreadsLeaveTheCountsBalancedAndEveryLibraryInitialisedWhenUsed) {
    InstallTavlink();
    sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
    CZentorFactory& factory = CZentorFactory::Instance();
    const LONG locksBefore = CNorvaDigitalIDIFModule::LockCount();
    const ULONG factoryBefore = factory.AddRef() - 1;
    factory.Release();

    std::atomic<int> failedCounts{0};
    std::atomic<int> failedObjects{0};
    const auto work = [&] {
        for (int round = 0; round < kRounds; ++round) {
            for (int i = 0; i < kObjectsPerRound; ++i) {
                IUnknown* object = nullptr;
                factory.AddRef();
                factory.LockServer(TRUE);
                if (FAILED(factory.CreateInstance(nullptr, IID_IUnknown,
                                                  reinterpret_cast<void**>(&object)))) {
                    ++failedObjects;
                } else {
                    object->Release();
                }
                factory.LockServer(FALSE);
                factory.Release();
            }
            // Each round loads the library afresh; the other thread may be its first or
            // its last user at the same moment.
            CTokenAccess tokens;
            tokens.UseDriver(kCardTavlink);
            if (tokens.CountForCaller(TokenScope::Any) != 1 ||
                tokens.LastDriverResult() != ZT_CKR_OK) {
                ++failedCounts;
            }
        }
    };
    std::thread first(work);
    std::thread second(work);
    first.join();
    second.join();

    EXPECT_EQ(failedObjects.load(), 0);
    EXPECT_EQ(failedCounts.load(), 0);
    EXPECT_EQ(CNorvaDigitalIDIFModule::LockCount(), locksBefore);
    EXPECT_EQ(factory.AddRef(), factoryBefore + 1);
    factory.Release();
}

TEST_F(ConcurrentUse, LibraryFinalisedByOneThreadWhileAnotherStartsUsingItIsInitialisedAfresh) {
    InstallTavlink();
    sims.SetVariable("TOKENSIM_PAUSE", "C_Finalize=200");
    CTokenAccess leaving;
    leaving.UseDriver(kCardTavlink);
    // The last user's finalisation is under way (and slow) when the next user arrives.
    std::thread last([&] { leaving.UseDriver(0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    CTokenAccess arriving;
    arriving.UseDriver(kCardTavlink);
    last.join();
    EXPECT_EQ(arriving.CountForCaller(TokenScope::Any), 1);
    EXPECT_EQ(arriving.LastDriverResult(), ZT_CKR_OK);
    std::vector<std::string> lifecycle;
    for (const auto& call : sims.TokenCalls()) {
        if (call.function == "C_Initialize" || call.function == "C_Finalize") {
            lifecycle.push_back(call.function + "=" + std::to_string(call.result));
        }
    }
    const std::vector<std::string> expected = {"C_Initialize=0", "C_Finalize=0", "C_Initialize=0"};
    EXPECT_EQ(lifecycle, expected);
}

} // namespace
