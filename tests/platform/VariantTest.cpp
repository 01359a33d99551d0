// VARIANT life cycle: clearing frees what the VARIANT owns, copies are deep, and
// by-reference copies take the value pointed at.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

using norva::test::CountingUnknown;
using norva::test::MakeBstr;
using norva::test::TextOf;

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
    OwnedVariant source, copy;
    source.Get()->vt = VT_BSTR;
    source.Get()->bstrVal = MakeBstr(std::u16string(u"a\0b", 3));
    ASSERT_EQ(VariantCopy(copy.Get(), source.Get()), S_OK);
    EXPECT_EQ(copy.Get()->vt, VT_BSTR);
    EXPECT_NE(copy.Get()->bstrVal, source.Get()->bstrVal);
    EXPECT_EQ(TextOf(copy.Get()->bstrVal), std::u16string(u"a\0b", 3));
}

TEST(Variant, CopyAddsAReferenceToAnInterface) {
    CountingUnknown object;
    {
        OwnedVariant source, copy;
        object.AddRef();
        source.Get()->vt = VT_UNKNOWN;
        source.Get()->punkVal = &object;
        ASSERT_EQ(VariantCopy(copy.Get(), source.Get()), S_OK);
        EXPECT_EQ(object.references, 3u);
    }
    EXPECT_EQ(object.references, 1u);
}

TEST(Variant, CopyReplacesWhatTheDestinationHeld) {
    OwnedVariant source, destination;
    destination.Get()->vt = VT_BSTR;
    destination.Get()->bstrVal = SysAllocString(OLESTR("old"));
    source.Get()->vt = VT_I4;
    source.Get()->lVal = 17;
    ASSERT_EQ(VariantCopy(destination.Get(), source.Get()), S_OK);
    EXPECT_EQ(destination.Get()->vt, VT_I4);
    EXPECT_EQ(destination.Get()->lVal, 17);
}

TEST(Variant, CopyIndTakesTheValuePointedAt) {
    LONG number = 99;
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_I4 | VT_BYREF;
    reference.plVal = &number;
    OwnedVariant copy;
    ASSERT_EQ(VariantCopyInd(copy.Get(), &reference), S_OK);
    EXPECT_EQ(copy.Get()->vt, VT_I4);
    EXPECT_EQ(copy.Get()->lVal, 99);
}

TEST(Variant, CopyIndCopiesTextPointedAt) {
    BSTR text = SysAllocString(OLESTR("shared"));
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_BSTR | VT_BYREF;
    reference.pbstrVal = &text;
    OwnedVariant copy;
    ASSERT_EQ(VariantCopyInd(copy.Get(), &reference), S_OK);
    EXPECT_EQ(copy.Get()->vt, VT_BSTR);
    EXPECT_NE(copy.Get()->bstrVal, text);
    EXPECT_EQ(TextOf(copy.Get()->bstrVal), u"shared");
    SysFreeString(text);
}

TEST(Variant, CopyIndTakesTheVariantPointedAt) {
    OwnedVariant inner;
    inner.Get()->vt = VT_BSTR;
    inner.Get()->bstrVal = SysAllocString(OLESTR("inner"));
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_VARIANT | VT_BYREF;
    reference.pvarVal = inner.Get();
    OwnedVariant copy;
    ASSERT_EQ(VariantCopyInd(copy.Get(), &reference), S_OK);
    EXPECT_EQ(copy.Get()->vt, VT_BSTR);
    EXPECT_EQ(TextOf(copy.Get()->bstrVal), u"inner");
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
