// VariantChangeType for the coercions an automation dispatcher makes, with the results
// Windows gives.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

using norva::test::CountingUnknown;
using norva::test::MakeBstr;
using norva::test::TextOf;

namespace {

HRESULT ChangeText(const std::u16string& text, VARTYPE vt, OwnedVariant& out, USHORT flags = 0) {
    OwnedVariant source;
    source.Get()->vt = VT_BSTR;
    source.Get()->bstrVal = MakeBstr(text);
    return VariantChangeType(out.Get(), source.Get(), flags, vt);
}

std::u16string AsText(VARIANT& source, USHORT flags = 0) {
    OwnedVariant out;
    EXPECT_EQ(VariantChangeType(out.Get(), &source, flags, VT_BSTR), S_OK);
    EXPECT_EQ(out.Get()->vt, VT_BSTR);
    return TextOf(out.Get()->bstrVal);
}

VARIANT Number(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT Real(double value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

VARIANT Boolean(VARIANT_BOOL value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value;
    return v;
}

LONG ToI4(VARIANT source) {
    OwnedVariant out;
    EXPECT_EQ(VariantChangeType(out.Get(), &source, 0, VT_I4), S_OK);
    EXPECT_EQ(out.Get()->vt, VT_I4);
    return out.Get()->lVal;
}

VARIANT_BOOL ToBool(VARIANT source) {
    OwnedVariant out;
    EXPECT_EQ(VariantChangeType(out.Get(), &source, 0, VT_BOOL), S_OK);
    EXPECT_EQ(out.Get()->vt, VT_BOOL);
    return out.Get()->boolVal;
}

} // namespace

TEST(ChangeToText, IntegerGivesDecimalText) {
    VARIANT positive = Number(1234), negative = Number(-7);
    EXPECT_EQ(AsText(positive), u"1234");
    EXPECT_EQ(AsText(negative), u"-7");
}

TEST(ChangeToText, BooleanGivesMinusOneOrZero) {
    VARIANT yes = Boolean(VARIANT_TRUE), no = Boolean(VARIANT_FALSE);
    EXPECT_EQ(AsText(yes), u"-1");
    EXPECT_EQ(AsText(no), u"0");
}

TEST(ChangeToText, BooleanGivesWordsWithAlphaBool) {
    VARIANT yes = Boolean(VARIANT_TRUE), no = Boolean(VARIANT_FALSE);
    EXPECT_EQ(AsText(yes, VARIANT_ALPHABOOL), u"True");
    EXPECT_EQ(AsText(no, VARIANT_ALPHABOOL), u"False");
}

TEST(ChangeToText, RealGivesShortestDecimalText) {
    VARIANT half = Real(2.5), tenth = Real(0.1), large = Real(1e20);
    EXPECT_EQ(AsText(half), u"2.5");
    EXPECT_EQ(AsText(tenth), u"0.1");
    EXPECT_EQ(AsText(large), u"1E+20");
}

TEST(ChangeToText, EmptyGivesEmptyText) {
    VARIANT empty;
    VariantInit(&empty);
    EXPECT_EQ(AsText(empty), u"");
}

TEST(ChangeFromText, DecimalWithBlanksGivesInteger) {
    OwnedVariant out;
    ASSERT_EQ(ChangeText(u"  123 ", VT_I4, out), S_OK);
    EXPECT_EQ(out.Get()->lVal, 123);
    ASSERT_EQ(ChangeText(u"-2147483648", VT_I4, out), S_OK);
    EXPECT_EQ(out.Get()->lVal, INT32_MIN);
}

TEST(ChangeFromText, LettersAreATypeMismatch) {
    OwnedVariant out;
    EXPECT_EQ(ChangeText(u"abc", VT_I4, out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(ChangeText(u"", VT_I4, out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(ChangeText(u"12abc", VT_I4, out), DISP_E_TYPEMISMATCH);
}

TEST(ChangeFromText, OutOfRangeIsAnOverflow) {
    OwnedVariant out;
    EXPECT_EQ(ChangeText(u"2147483648", VT_I4, out), DISP_E_OVERFLOW);
    EXPECT_EQ(ChangeText(u"99999999999", VT_I4, out), DISP_E_OVERFLOW);
    EXPECT_EQ(ChangeText(u"256", VT_UI1, out), DISP_E_OVERFLOW);
    EXPECT_EQ(ChangeText(u"-1", VT_UI1, out), DISP_E_OVERFLOW);
}

TEST(ChangeFromText, FractionRoundsHalfToEven) {
    OwnedVariant out;
    ASSERT_EQ(ChangeText(u"2.5", VT_I4, out), S_OK);
    EXPECT_EQ(out.Get()->lVal, 2);
    ASSERT_EQ(ChangeText(u"3.5", VT_I4, out), S_OK);
    EXPECT_EQ(out.Get()->lVal, 4);
}

TEST(ChangeFromText, LettersAreNoBoolean) {
    OwnedVariant out;
    EXPECT_EQ(ChangeText(u"abc", VT_BOOL, out), DISP_E_TYPEMISMATCH);
}

TEST(ChangeFromText, BooleanWordsInAnyCase) {
    OwnedVariant out;
    ASSERT_EQ(ChangeText(u"True", VT_BOOL, out), S_OK);
    EXPECT_EQ(out.Get()->boolVal, VARIANT_TRUE);
    ASSERT_EQ(ChangeText(u"tRUE", VT_BOOL, out), S_OK);
    EXPECT_EQ(out.Get()->boolVal, VARIANT_TRUE);
    ASSERT_EQ(ChangeText(u"FALSE", VT_BOOL, out), S_OK);
    EXPECT_EQ(out.Get()->boolVal, VARIANT_FALSE);
}

TEST(ChangeFromText, NumbersAreBooleans) {
    OwnedVariant out;
    ASSERT_EQ(ChangeText(u"0", VT_BOOL, out), S_OK);
    EXPECT_EQ(out.Get()->boolVal, VARIANT_FALSE);
    ASSERT_EQ(ChangeText(u"5", VT_BOOL, out), S_OK);
    EXPECT_EQ(out.Get()->boolVal, VARIANT_TRUE);
    ASSERT_EQ(ChangeText(u"-1", VT_BOOL, out), S_OK);
    EXPECT_EQ(out.Get()->boolVal, VARIANT_TRUE);
}

TEST(ChangeNumbers, NonzeroIsTrueAsMinusOne) {
    EXPECT_EQ(ToBool(Number(5)), VARIANT_TRUE);
    EXPECT_EQ(ToBool(Number(-3)), VARIANT_TRUE);
    EXPECT_EQ(ToBool(Number(0)), VARIANT_FALSE);
    EXPECT_EQ(ToBool(Real(0.25)), VARIANT_TRUE);
}

TEST(ChangeNumbers, BooleanIsMinusOneOrZero) {
    EXPECT_EQ(ToI4(Boolean(VARIANT_TRUE)), -1);
    EXPECT_EQ(ToI4(Boolean(VARIANT_FALSE)), 0);
}

TEST(ChangeNumbers, RealRoundsHalfToEven) {
    EXPECT_EQ(ToI4(Real(2.5)), 2);
    EXPECT_EQ(ToI4(Real(3.5)), 4);
    EXPECT_EQ(ToI4(Real(-2.5)), -2);
    EXPECT_EQ(ToI4(Real(1.4)), 1);
    EXPECT_EQ(ToI4(Real(-1.6)), -2);
}

TEST(ChangeNumbers, OutOfRangeIsAnOverflow) {
    OwnedVariant out;
    VARIANT big = Real(3e9), wide = Number(300), negative = Number(-1);
    EXPECT_EQ(VariantChangeType(out.Get(), &big, 0, VT_I4), DISP_E_OVERFLOW);
    EXPECT_EQ(VariantChangeType(out.Get(), &wide, 0, VT_UI1), DISP_E_OVERFLOW);
    EXPECT_EQ(VariantChangeType(out.Get(), &wide, 0, VT_I1), DISP_E_OVERFLOW);
    EXPECT_EQ(VariantChangeType(out.Get(), &negative, 0, VT_UI2), DISP_E_OVERFLOW);
}

TEST(ChangeNumbers, WithinRangeReachesEveryIntegerType) {
    VARIANT value = Number(100);
    for (const VARTYPE vt : {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT}) {
        OwnedVariant out;
        ASSERT_EQ(VariantChangeType(out.Get(), &value, 0, vt), S_OK) << vt;
        EXPECT_EQ(out.Get()->vt, vt);
        VARIANT back;
        VariantInit(&back);
        ASSERT_EQ(VariantChangeType(&back, out.Get(), 0, VT_I4), S_OK);
        EXPECT_EQ(back.lVal, 100);
    }
}

TEST(ChangeByReference, SourceIsDereferenced) {
    LONG number = 42;
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_I4 | VT_BYREF;
    reference.plVal = &number;
    EXPECT_EQ(AsText(reference), u"42");

    OwnedVariant inner;
    inner.Get()->vt = VT_BSTR;
    inner.Get()->bstrVal = SysAllocString(OLESTR("7"));
    VARIANT variantReference;
    VariantInit(&variantReference);
    variantReference.vt = VT_VARIANT | VT_BYREF;
    variantReference.pvarVal = inner.Get();
    EXPECT_EQ(ToI4(variantReference), 7);
    EXPECT_EQ(inner.Get()->vt, VT_BSTR);
}

TEST(ChangeMismatch, NullAndInterfacesAreNoValues) {
    OwnedVariant out;
    VARIANT null;
    VariantInit(&null);
    null.vt = VT_NULL;
    EXPECT_EQ(VariantChangeType(out.Get(), &null, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(out.Get(), &null, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
    CountingUnknown object;
    VARIANT unknown;
    VariantInit(&unknown);
    unknown.vt = VT_UNKNOWN;
    unknown.punkVal = &object;
    EXPECT_EQ(VariantChangeType(out.Get(), &unknown, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(object.references, 1u);
}

TEST(ChangeInPlace, DestinationMayBeTheSource) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(OLESTR(" 12"));
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 12);
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), S_OK);
    EXPECT_EQ(TextOf(v.bstrVal), u"12");
    VariantClear(&v);
}

TEST(ChangeFailure, DestinationIsLeftAlone) {
    OwnedVariant out;
    out.Get()->vt = VT_I4;
    out.Get()->lVal = 5;
    EXPECT_EQ(ChangeText(u"abc", VT_I4, out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(out.Get()->vt, VT_I4);
    EXPECT_EQ(out.Get()->lVal, 5);
}

TEST(ChangeFailure, UnknownTargetTypeIsABadType) {
    OwnedVariant out;
    VARIANT value = Number(1);
    EXPECT_EQ(VariantChangeType(out.Get(), &value, 0, 0x0FFF), DISP_E_BADVARTYPE);
}
