// The two trace lines of the object-safety methods, which reach standard error on POSIX.
#include <gtest/gtest.h>

#include "ComponentTestSupport.h"

namespace {

TEST(ObjectSafetyTrace, EachMethodWritesItsTraceLine) {
    ComRef<IZentor> zentor = norva::test::NewZentor();
    ComRef<IObjectSafety> safety;
    ASSERT_EQ(S_OK, zentor->QueryInterface(IID_IObjectSafety, safety.PutVoid()));
    DWORD supported = 0;
    DWORD enabled = 0;
    testing::internal::CaptureStderr();
    safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
    safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1);
    safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, nullptr);
    EXPECT_EQ("CObjectSafetyImpl::GetInterfaceSafetyOptions\n"
              "CObjectSafetyImpl::SetInterfaceSafetyOptions\n"
              "CObjectSafetyImpl::GetInterfaceSafetyOptions\n",
              testing::internal::GetCapturedStderr());
}

} // namespace
