// Named mutexes: one owner at a time among all handles of a name, recursive for the owner,
// other names independent, waits that time out or end when the owner lets go.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

namespace {

// What another thread's wait on `mutex` answers (it lets go again at once).
DWORD OtherThreadWaits(HANDLE mutex, DWORD milliseconds) {
    DWORD answer = WAIT_FAILED;
    std::thread other([&] {
        answer = WaitForSingleObject(mutex, milliseconds);
        if (answer == WAIT_OBJECT_0) {
            ReleaseMutex(mutex);
        }
    });
    other.join();
    return answer;
}

std::string UniqueName(const char* what) {
    return "Local\\NorvaMutexTest-" + std::string(what) + "-" +
           std::to_string(static_cast<unsigned long long>(
               std::hash<std::thread::id>()(std::this_thread::get_id())));
}

} // namespace

TEST(NamedMutex, OneOwnerAmongTheHandlesOfANameUntilFullyReleased) {
    const std::string name = UniqueName("one");
    HANDLE owner = CreateMutexA(nullptr, FALSE, name.c_str());
    HANDLE same = CreateMutexA(nullptr, FALSE, name.c_str());
    HANDLE other = CreateMutexA(nullptr, FALSE, UniqueName("other").c_str());
    ASSERT_NE(owner, nullptr);
    ASSERT_NE(same, nullptr);
    ASSERT_NE(other, nullptr);
    struct Step {
        const char* name;
        int ownerWaits;    // waits of the owner's handle before the step (negative: releases)
        DWORD sameAnswers; // another thread's wait through the second handle of the name
    };
    const Step steps[] = {
        {"nobody owns it", 0, WAIT_OBJECT_0},  {"owned", 1, WAIT_TIMEOUT},
        {"owned twice", 1, WAIT_TIMEOUT},      {"released once of twice", -1, WAIT_TIMEOUT},
        {"released fully", -1, WAIT_OBJECT_0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.ownerWaits > 0) {
            EXPECT_EQ(WaitForSingleObject(owner, INFINITE), WAIT_OBJECT_0);
        } else if (step.ownerWaits < 0) {
            EXPECT_TRUE(ReleaseMutex(owner));
        }
        EXPECT_EQ(OtherThreadWaits(same, 0), step.sameAnswers);
        EXPECT_EQ(OtherThreadWaits(other, 0), WAIT_OBJECT_0); // another name is free
    }
    EXPECT_FALSE(ReleaseMutex(owner)); // not owned any more
    EXPECT_TRUE(CloseHandle(owner));
    EXPECT_TRUE(CloseHandle(same));
    EXPECT_TRUE(CloseHandle(other));
}

TEST(NamedMutex, AWaitEndsWhenTheOwnerLetsGo) {
    const std::string name = UniqueName("wait");
    HANDLE owner = CreateMutexA(nullptr, FALSE, name.c_str());
    HANDLE waiter = CreateMutexA(nullptr, FALSE, name.c_str());
    HANDLE probe = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(owner, nullptr);
    ASSERT_NE(waiter, nullptr);
    ASSERT_NE(probe, nullptr);
    ASSERT_EQ(WaitForSingleObject(owner, INFINITE), WAIT_OBJECT_0);
    DWORD answer = WAIT_FAILED;
    std::thread other([&] {
        answer = WaitForSingleObject(waiter, INFINITE);
        ReleaseMutex(waiter);
    });
    EXPECT_EQ(OtherThreadWaits(probe, 50), WAIT_TIMEOUT);
    ReleaseMutex(owner);
    other.join();
    EXPECT_EQ(answer, WAIT_OBJECT_0);
    CloseHandle(owner);
    CloseHandle(waiter);
    CloseHandle(probe);
}
