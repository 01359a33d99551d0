// VARIANT life cycle: clearing frees what the VARIANT owns, copies are deep, and
// by-reference copies take the value pointed at.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

using norva::test::CountingUnknown;
using norva::test::MakeBstr;
using norva::test::TextOf;
using norva::test::Variant;

TEST(Variant, InitMakesItEmpty) {
    VARIANT v;
    v.vt = VT_I4;
    VariantInit(&v);
    EXPECT_EQ(v.vt, VT_EMPTY);
}

TEST(Variant, ClearReleasesAnInterfaceAndEmpties) {
    CountingUnknown object;
    object.AddRef();
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_UNKNOWN;
    v.punkVal = &object;
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(object.references, 1u);
    EXPECT_EQ(v.vt, VT_EMPTY);
}

TEST(Variant, ClearLeavesWhatAReferencePointsAt) {
    CountingUnknown object;
    IUnknown* pointer = &object;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_UNKNOWN | VT_BYREF;
    v.ppunkVal = &pointer;
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(object.references, 1u);
}

TEST(Variant, ClearRefusesAnUnknownType) {
    VARIANT v;
    VariantInit(&v);
    v.vt = 0x0FFF;
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
}

TEST(Variant, CopyOfTextIsDeepAndKeepsEmbeddedZeros) {
    Variant source, copy;
    source->vt = VT_BSTR;
    source->bstrVal = MakeBstr(std::u16string(u"a\0b", 3));
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_EQ(copy->vt, VT_BSTR);
    EXPECT_NE(copy->bstrVal, source->bstrVal);
    EXPECT_EQ(TextOf(copy->bstrVal), std::u16string(u"a\0b", 3));
}

TEST(Variant, CopyAddsAReferenceToAnInterface) {
    CountingUnknown object;
    {
        Variant source, copy;
        object.AddRef();
        source->vt = VT_UNKNOWN;
        source->punkVal = &object;
        ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
        EXPECT_EQ(object.references, 3u);
    }
    EXPECT_EQ(object.references, 1u);
}

TEST(Variant, CopyReplacesWhatTheDestinationHeld) {
    Variant source, destination;
    destination->vt = VT_BSTR;
    destination->bstrVal = SysAllocString(OLESTR("old"));
    source->vt = VT_I4;
    source->lVal = 17;
    ASSERT_EQ(VariantCopy(&destination, &source), S_OK);
    EXPECT_EQ(destination->vt, VT_I4);
    EXPECT_EQ(destination->lVal, 17);
}

TEST(Variant, CopyIndTakesTheValuePointedAt) {
    LONG number = 99;
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_I4 | VT_BYREF;
    reference.plVal = &number;
    Variant copy;
    ASSERT_EQ(VariantCopyInd(&copy, &reference), S_OK);
    EXPECT_EQ(copy->vt, VT_I4);
    EXPECT_EQ(copy->lVal, 99);
}

TEST(Variant, CopyIndCopiesTextPointedAt) {
    BSTR text = SysAllocString(OLESTR("shared"));
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_BSTR | VT_BYREF;
    reference.pbstrVal = &text;
    Variant copy;
    ASSERT_EQ(VariantCopyInd(&copy, &reference), S_OK);
    EXPECT_EQ(copy->vt, VT_BSTR);
    EXPECT_NE(copy->bstrVal, text);
    EXPECT_EQ(TextOf(copy->bstrVal), u"shared");
    SysFreeString(text);
}

TEST(Variant, CopyIndTakesTheVariantPointedAt) {
    Variant inner;
    inner->vt = VT_BSTR;
    inner->bstrVal = SysAllocString(OLESTR("inner"));
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_VARIANT | VT_BYREF;
    reference.pvarVal = &inner;
    Variant copy;
    ASSERT_EQ(VariantCopyInd(&copy, &reference), S_OK);
    EXPECT_EQ(copy->vt, VT_BSTR);
    EXPECT_EQ(TextOf(copy->bstrVal), u"inner");
}

TEST(Variant, CopyIndInPlaceDereferences) {
    SHORT number = -5;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2 | VT_BYREF;
    v.piVal = &number;
    ASSERT_EQ(VariantCopyInd(&v, &v), S_OK);
    EXPECT_EQ(v.vt, VT_I2);
    EXPECT_EQ(v.iVal, -5);
}

TEST(Variant, MacrosReachTheMembers) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = 12;
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 12);
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = VARIANT_TRUE;
    EXPECT_EQ(v.boolVal, -1);
}
