// The enumerations' names and values come from the interface definition, and the build
// checks the PKCS#11 ones against the standard's header; what is left to test here is
// the width of the types and what they carry.
#include <gtest/gtest.h>

#include "component/base/ZentorErrors.h"
#include "component/access/drivers/Pkcs11.h"

namespace {

static_assert(sizeof(TZentorError) == 4 && sizeof(TPKCS11Error) == 4);

TEST(ErrorEnumerations, VendorResultsSurviveInThePkcs11Type) {
    const auto vendor = static_cast<TPKCS11Error>(CKR_VENDOR_DEFINED + 1);
    EXPECT_EQ(0x80000001u, static_cast<uint32_t>(vendor));
}

} // namespace
