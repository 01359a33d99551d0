// SAFEARRAY creation, bounds, data access, element type and deep copies.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

using norva::test::TextOf;

namespace {

LONG Lower(SAFEARRAY* array, UINT dimension) {
    LONG bound = -999;
    EXPECT_EQ(SafeArrayGetLBound(array, dimension, &bound), S_OK);
    return bound;
}

LONG Upper(SAFEARRAY* array, UINT dimension) {
    LONG bound = -999;
    EXPECT_EQ(SafeArrayGetUBound(array, dimension, &bound), S_OK);
    return bound;
}

} // namespace

TEST(SafeArray, VectorHasItsBounds) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 1, 5);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(SafeArrayGetDim(array), 1u);
    EXPECT_EQ(array->cbElements, sizeof(LONG));
    EXPECT_EQ(Lower(array, 1), 1);
    EXPECT_EQ(Upper(array, 1), 5);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, EmptyVectorEndsBeforeItStarts) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 0);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(Lower(array, 1), 0);
    EXPECT_EQ(Upper(array, 1), -1);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, DimensionsAreNumberedFromTheLeft) {
    SAFEARRAYBOUND bounds[2] = {{3, 0}, {4, 10}};
    SAFEARRAY* array = SafeArrayCreate(VT_I2, 2, bounds);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(SafeArrayGetDim(array), 2u);
    EXPECT_EQ(Lower(array, 1), 0);
    EXPECT_EQ(Upper(array, 1), 2);
    EXPECT_EQ(Lower(array, 2), 10);
    EXPECT_EQ(Upper(array, 2), 13);
    LONG bound = 0;
    EXPECT_EQ(SafeArrayGetLBound(array, 0, &bound), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(array, 3, &bound), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, AccessLocksUntilUnaccessed) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 4);
    ASSERT_NE(array, nullptr);
    BYTE* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)), S_OK);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(array->cLocks, 1u);
    data[0] = 0xAB;
    data[3] = 0xCD;
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(array->cLocks, 0u);
    EXPECT_EQ(static_cast<BYTE*>(array->pvData)[3], 0xCD);
    EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, RemembersItsElementType) {
    for (const VARTYPE vt : {VT_UI1, VT_I4, VT_BSTR, VT_VARIANT}) {
        SAFEARRAY* array = SafeArrayCreateVector(vt, 0, 2);
        ASSERT_NE(array, nullptr);
        VARTYPE stored = VT_EMPTY;
        EXPECT_EQ(SafeArrayGetVartype(array, &stored), S_OK);
        EXPECT_EQ(stored, vt);
        SafeArrayDestroy(array);
    }
}

TEST(SafeArray, RefusesTypesWithoutElements) {
    EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 2), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_NULL, 0, 2), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_I4, 0, nullptr), nullptr);
}

TEST(SafeArray, CopyOfTextsIsDeep) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 2);
    ASSERT_NE(array, nullptr);
    BSTR* texts = static_cast<BSTR*>(array->pvData);
    texts[0] = SysAllocString(OLESTR("first"));
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
    ASSERT_NE(copy, nullptr);
    BSTR* copied = static_cast<BSTR*>(copy->pvData);
    EXPECT_NE(copied[0], texts[0]);
    EXPECT_EQ(TextOf(copied[0]), u"first");
    EXPECT_EQ(copied[1], nullptr);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
    EXPECT_EQ(TextOf(copied[0]), u"first");
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
}

TEST(SafeArray, VariantCopyAndClearHandleArrays) {
    OwnedVariant original, copy;
    original.Get()->vt = VT_ARRAY | VT_UI1;
    original.Get()->parray = SafeArrayCreateVector(VT_UI1, 0, 3);
    ASSERT_NE(original.Get()->parray, nullptr);
    static_cast<BYTE*>(original.Get()->parray->pvData)[1] = 0x5A;
    ASSERT_EQ(VariantCopy(copy.Get(), original.Get()), S_OK);
    EXPECT_EQ(copy.Get()->vt, VT_ARRAY | VT_UI1);
    ASSERT_NE(copy.Get()->parray, original.Get()->parray);
    EXPECT_EQ(static_cast<BYTE*>(copy.Get()->parray->pvData)[1], 0x5A);
    EXPECT_EQ(Upper(copy.Get()->parray, 1), 2);
    EXPECT_EQ(VariantClear(original.Get()), S_OK);
    EXPECT_EQ(original.Get()->vt, VT_EMPTY);
}
