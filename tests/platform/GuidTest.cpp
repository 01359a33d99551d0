// GUID text forms and the interface identifiers with their registered values.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::u16string TextOf(REFGUID guid) {
    OLECHAR text[64] = {};
    EXPECT_EQ(StringFromGUID2(guid, text, 64), 39);
    return reinterpret_cast<const char16_t*>(text);
}

} // namespace

TEST(Guid, InterfaceIdentifiersHaveTheirWindowsValues) {
    EXPECT_EQ(TextOf(IID_IUnknown), u"{00000000-0000-0000-C000-000000000046}");
    EXPECT_EQ(TextOf(IID_IClassFactory), u"{00000001-0000-0000-C000-000000000046}");
    EXPECT_EQ(TextOf(IID_IDispatch), u"{00020400-0000-0000-C000-000000000046}");
    EXPECT_EQ(TextOf(IID_ITypeInfo), u"{00020401-0000-0000-C000-000000000046}");
    EXPECT_EQ(TextOf(IID_ITypeLib), u"{00020402-0000-0000-C000-000000000046}");
    EXPECT_EQ(TextOf(IID_IPersistStorage), u"{0000010A-0000-0000-C000-000000000046}");
    EXPECT_EQ(TextOf(IID_IObjectSafety), u"{CB5BDC81-93C1-11CF-8F20-00805F2CD064}");
    EXPECT_EQ(TextOf(IID_IProvideClassInfo), u"{B196B283-BAB4-101A-B69C-00AA00341D07}");
    EXPECT_EQ(TextOf(IID_IPersistStreamInit), u"{7FD52380-4E07-101B-AE2D-08002B2EC713}");
    EXPECT_EQ(TextOf(IID_IErrorInfo), u"{1CF2B120-547D-101B-8E65-08002B2BD119}");
    EXPECT_EQ(TextOf(GUID_NULL), u"{00000000-0000-0000-0000-000000000000}");
}

TEST(Guid, ShortBufferGivesZero) {
    OLECHAR text[38];
    EXPECT_EQ(StringFromGUID2(IID_IDispatch, text, 38), 0);
}

TEST(Guid, TextRoundTripsInEitherCase) {
    CLSID parsed{};
    ASSERT_EQ(CLSIDFromString(OLESTR("{d41d9ee8-7f0b-488d-b8c4-5a1526be3478}"), &parsed), S_OK);
    EXPECT_EQ(TextOf(parsed), u"{D41D9EE8-7F0B-488D-B8C4-5A1526BE3478}");
    IID iid{};
    ASSERT_EQ(IIDFromString(OLESTR("{00020400-0000-0000-C000-000000000046}"), &iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, IID_IDispatch));
    EXPECT_TRUE(iid == IID_IDispatch);
    EXPECT_FALSE(iid == IID_IUnknown);
}

TEST(Guid, MalformedTextIsRefused) {
    CLSID parsed{};
    EXPECT_EQ(CLSIDFromString(OLESTR("{D41D9EE8-7F0B-488D-B8C4-5A1526BE347}"), &parsed),
              CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString(OLESTR("{D41D9EE8-7F0B-488D-B8C4-5A1526BE3478"), &parsed),
              CO_E_CLASSSTRING);
    IID iid{};
    EXPECT_TRUE(FAILED(IIDFromString(OLESTR("{G0020400-0000-0000-C000-000000000046}"), &iid)));
}
