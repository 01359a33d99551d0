// The debugging output goes to standard error and leaves standard output alone.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

TEST(DebugOutput, GoesToStandardError) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    OutputDebugStringA("CObjectSafetyImpl::GetInterfaceSafetyOptions\n");
    OutputDebugStringA("\xE0\xE1\n");
    const std::string error = ::testing::internal::GetCapturedStderr();
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(error, "CObjectSafetyImpl::GetInterfaceSafetyOptions\n\xD7\x90\xD7\x91\n");
    EXPECT_EQ(output, "");
}
