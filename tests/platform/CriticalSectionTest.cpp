// Critical sections are recursive for their owner and exclusive for other threads.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

bool OtherThreadCanEnter(CRITICAL_SECTION* section) {
    bool entered = false;
    std::thread other([&] {
        entered = TryEnterCriticalSection(section) != FALSE;
        if (entered) {
            LeaveCriticalSection(section);
        }
    });
    other.join();
    return entered;
}

} // namespace

TEST(CriticalSection, OwnerMayEnterAgainAndOthersWaitUntilFullyLeft) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_FALSE(OtherThreadCanEnter(&section));
    LeaveCriticalSection(&section);
    EXPECT_FALSE(OtherThreadCanEnter(&section));
    LeaveCriticalSection(&section);
    EXPECT_TRUE(OtherThreadCanEnter(&section));
    DeleteCriticalSection(&section);
}
