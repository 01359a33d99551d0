// Invoke: the checks in their order, argument coercion, the get/put flag rules, named
// arguments, result types and the exception information of a failing member.
#include <gtest/gtest.h>

#include "ComponentTestSupport.h"

using norva::test::Arguments;
using norva::test::Narrow;

namespace {

// A CZentor whose members under test record what reached them.
class RecordingZentor : public CZentor {
public:
    HRESULT STDMETHODCALLTYPE ChangePIN(BSTR OldPIN, BSTR NewPIN, TZentorError* RetVal) override {
        texts = {Narrow(OldPIN), Narrow(NewPIN)};
        *RetVal = ZTInitPINFailed;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SignData(BSTR PIN, VARIANT RawData, VARIANT_BOOL bConvertToBinary,
                                       BSTR* HexBinarySignedData) override {
        texts = {Narrow(PIN)};
        rawType = RawData.vt;
        rawText = RawData.vt == VT_BSTR ? Narrow(RawData.bstrVal) : "";
        flagBits = static_cast<uint16_t>(bConvertToBinary);
        *HexBinarySignedData = SysAllocString(Widen("0A0B").c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FullFormatToken(BSTR NewPIN, BSTR SOPassword, BSTR UserID,
                                              BSTR FirstName, BSTR LastName, BSTR KeyLength,
                                              BSTR* pVal) override {
        texts = {Narrow(NewPIN),    Narrow(SOPassword), Narrow(UserID),
                 Narrow(FirstName), Narrow(LastName),   Narrow(KeyLength)};
        *pVal = SysAllocString(Widen("done").c_str());
        return S_OK;
    }
    // Fails as a member may when it cannot run at all.
    HRESULT STDMETHODCALLTYPE GenerateKeys(BSTR, TZentorError* RetVal) override {
        *RetVal = ZTGenerateKeyPairFailed;
        return E_ACCESSDENIED;
    }
    HRESULT STDMETHODCALLTYPE get_FirstName(BSTR* pVal) override {
        ++gets;
        *pVal = SysAllocString(Widen("Dana").c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_FirstName(BSTR newVal) override {
        texts = {Narrow(newVal)};
        ++puts;
        return S_OK;
    }

    std::vector<std::string> texts;
    VARTYPE rawType = VT_ILLEGAL_MARK;
    std::string rawText;
    uint16_t flagBits = 0x1234;
    int gets = 0;
    int puts = 0;

private:
    static constexpr VARTYPE VT_ILLEGAL_MARK = 0xFFFF;
};

class InvokeTest : public ::testing::Test {
protected:
    void SetUp() override { zentor->AddRef(); }
    void TearDown() override { zentor->Release(); }

    // Invoke initialises the result without clearing it: what a caller got from an
    // earlier call is the caller's to release.
    HRESULT Call(DISPID id, WORD flags, Arguments& args) {
        VariantClear(&result);
        return zentor->Invoke(id, IID_NULL, 0, flags, args.Params(), &result, &exception, &argErr);
    }

    RecordingZentor* zentor = new RecordingZentor;
    OwnedVariant resultHolder;
    VARIANT& result = *resultHolder.Get();
    EXCEPINFO exception = {};
    UINT argErr = 99;
};

TEST_F(InvokeTest, WithoutParametersItIsABadVariantTypeBeforeAnythingElse) {
    result.vt = VT_I4;
    result.lVal = 5;
    EXPECT_EQ(DISP_E_BADVARTYPE, zentor->Invoke(21, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr,
                                                &result, nullptr, nullptr));
    EXPECT_EQ(VT_I4, result.vt); // the result is initialised only after the first checks
}

TEST_F(InvokeTest, MoreThanSevenArgumentsAreABadCountWhateverTheMember) {
    Arguments args;
    for (int i = 0; i < 8; ++i) {
        args.Number(i);
    }
    result.vt = VT_I4;
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, zentor->Invoke(999, IID_NULL, 0, DISPATCH_METHOD, args.Params(),
                                                   &result, nullptr, nullptr));
    EXPECT_EQ(VT_I4, result.vt);
}

TEST_F(InvokeTest, NamedArgumentsOtherThanThePutValueAreRefused) {
    Arguments args;
    args.Text("x");
    DISPID named[] = {7, DISPID_PROPERTYPUT};
    DISPPARAMS* params = args.Params();
    params->rgdispidNamedArgs = named;
    params->cNamedArgs = 1;
    result.vt = VT_I4;
    EXPECT_EQ(DISP_E_NONAMEDARGS, zentor->Invoke(9, IID_NULL, 0, DISPATCH_PROPERTYPUT, params,
                                                 &result, nullptr, nullptr));
    EXPECT_EQ(VT_EMPTY, result.vt); // initialised before the named-argument check
    params->rgdispidNamedArgs = named + 1;
    params->cNamedArgs = 2;
    EXPECT_EQ(DISP_E_NONAMEDARGS, zentor->Invoke(9, IID_NULL, 0, DISPATCH_PROPERTYPUT, params,
                                                 nullptr, nullptr, nullptr));
    EXPECT_EQ(0, zentor->puts);
}

TEST_F(InvokeTest, ThePutValueMayBeNamed) {
    Arguments args;
    args.Text("Noa").NamedPut();
    EXPECT_EQ(S_OK, Call(9, DISPATCH_PROPERTYPUT, args));
    EXPECT_EQ(1, zentor->puts);
    EXPECT_EQ(std::vector<std::string>{"Noa"}, zentor->texts);
    EXPECT_EQ(VT_EMPTY, result.vt);
}

TEST_F(InvokeTest, UnassignedIdentifiersAreNotFoundEvenWithValidArguments) {
    for (DISPID id : {2, 3}) {
        Arguments args;
        args.Text("a").Text("b");
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(id, DISPATCH_METHOD, args)) << id;
    }
    for (DISPID id : {0, -1, 27, 100}) {
        Arguments none;
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none))
            << id;
    }
}

TEST_F(InvokeTest, ArgumentCountMustMatchTheMember) {
    Arguments one;
    one.Text("a");
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(4, DISPATCH_METHOD, one));
    Arguments none;
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(9, DISPATCH_PROPERTYPUT, none));
    Arguments extra;
    extra.Number(1);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(21, DISPATCH_PROPERTYGET, extra));
    EXPECT_TRUE(zentor->texts.empty());
}

TEST_F(InvokeTest, ArgumentsArriveFirstParameterFirst) {
    Arguments args;
    args.Text("pin").Text("so").Text("id").Text("first").Text("last").Text("2048");
    ASSERT_EQ(S_OK, Call(26, DISPATCH_METHOD, args));
    EXPECT_EQ((std::vector<std::string>{"pin", "so", "id", "first", "last", "2048"}),
              zentor->texts);
    ASSERT_EQ(VT_BSTR, result.vt);
    EXPECT_EQ("done", Narrow(result.bstrVal));
}

TEST_F(InvokeTest, ANumberReachesATextParameterAsItsDecimalText) {
    Arguments args;
    args.Number(1234).Text("5678");
    ASSERT_EQ(S_OK, Call(4, DISPATCH_METHOD, args));
    EXPECT_EQ((std::vector<std::string>{"1234", "5678"}), zentor->texts);
    ASSERT_EQ(VT_I4, result.vt);
    EXPECT_EQ(ZTInitPINFailed, result.lVal);
}

TEST_F(InvokeTest, TextThatIsNoBooleanIsATypeMismatchAtItsIndex) {
    Arguments args;
    args.Text("1111").Text("00FF").Text("abc");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(8, DISPATCH_METHOD, args));
    EXPECT_EQ(0u, argErr);
    EXPECT_TRUE(zentor->texts.empty());
}

TEST_F(InvokeTest, TextThatIsNoNumberIsATypeMismatchForCardType) {
    Arguments args;
    args.Text("three");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Call(21, DISPATCH_PROPERTYPUT, args));
    EXPECT_EQ(0u, argErr);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, zentor->Invoke(21, IID_NULL, 0, DISPATCH_PROPERTYPUT,
                                                  args.Params(), nullptr, nullptr, nullptr));
}

TEST_F(InvokeTest, RawDataIsPassedUnchangedAndByReferenceIsFollowed) {
    OwnedVariant target;
    target.Get()->vt = VT_BSTR;
    target.Get()->bstrVal = SysAllocString(Widen("C0FFEE").c_str());
    Arguments args;
    args.Text("1111").Reference(target.Get()).Flag(VARIANT_TRUE);
    ASSERT_EQ(S_OK, Call(8, DISPATCH_METHOD, args));
    EXPECT_EQ(VT_BSTR, zentor->rawType);
    EXPECT_EQ("C0FFEE", zentor->rawText);
    EXPECT_EQ(0xFFFF, zentor->flagBits);
    ASSERT_EQ(VT_BSTR, result.vt);
    EXPECT_EQ("0A0B", Narrow(result.bstrVal));

    Arguments plain;
    plain.Text("1111").Number(77).Number(0);
    ASSERT_EQ(S_OK, Call(8, DISPATCH_METHOD, plain));
    EXPECT_EQ(VT_I4, zentor->rawType);
    EXPECT_EQ(0, zentor->flagBits);
}

TEST_F(InvokeTest, ReadWritePropertyGetsWheneverTheGetFlagIsSet) {
    Arguments none;
    ASSERT_EQ(S_OK, Call(9, DISPATCH_PROPERTYGET | DISPATCH_METHOD, none));
    EXPECT_EQ(1, zentor->gets);
    ASSERT_EQ(VT_BSTR, result.vt);
    EXPECT_EQ("Dana", Narrow(result.bstrVal));
    EXPECT_EQ(S_OK, Call(9, DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, none));
    EXPECT_EQ(2, zentor->gets);
    EXPECT_EQ(0, zentor->puts);
}

TEST_F(InvokeTest, ReadWritePropertyWithoutGetOrPutIsNotFound) {
    Arguments none;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(9, DISPATCH_METHOD, none));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(21, 0, none));
    Arguments one;
    one.Text("x");
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(9, DISPATCH_PROPERTYPUTREF, one));
    EXPECT_EQ(0, zentor->gets + zentor->puts);
}

TEST_F(InvokeTest, MethodsAndReadOnlyPropertiesIgnoreTheFlags) {
    Arguments none;
    EXPECT_EQ(S_OK, Call(23, 0, none));
    EXPECT_EQ(VT_BOOL, result.vt);
    EXPECT_EQ(0, result.boolVal);
    EXPECT_EQ(S_OK, Call(15, DISPATCH_PROPERTYPUT, none));
    EXPECT_EQ(VT_I4, result.vt);
    Arguments args;
    args.Text("old").Text("new");
    EXPECT_EQ(S_OK, Call(4, DISPATCH_PROPERTYGET, args));
    EXPECT_EQ((std::vector<std::string>{"old", "new"}), zentor->texts);
}

TEST_F(InvokeTest, CardTypeIsPutAndReadBackThroughInvoke) {
    Arguments three;
    three.Number(3).NamedPut();
    ASSERT_EQ(S_OK, Call(21, DISPATCH_PROPERTYPUT, three));
    Arguments none;
    ASSERT_EQ(S_OK, Call(21, DISPATCH_PROPERTYGET, none));
    ASSERT_EQ(VT_I4, result.vt);
    EXPECT_EQ(3, result.lVal);
    Arguments seven;
    seven.Text("7");
    ASSERT_EQ(S_OK, Call(21, DISPATCH_PROPERTYPUT, seven));
    ASSERT_EQ(S_OK, Call(21, DISPATCH_PROPERTYGET, none));
    EXPECT_EQ(0, result.lVal);
}

TEST_F(InvokeTest, ErrorPropertiesComeBackAsFourByteIntegers) {
    Arguments none;
    ASSERT_EQ(S_OK, Call(20, DISPATCH_PROPERTYGET, none));
    EXPECT_EQ(VT_I4, result.vt);
    EXPECT_EQ(0, result.lVal);
    ASSERT_EQ(S_OK, Call(15, DISPATCH_PROPERTYGET, none));
    EXPECT_EQ(VT_I4, result.vt);
    EXPECT_EQ(0, result.lVal);
}

TEST_F(InvokeTest, AFailingMemberFillsTheExceptionAndStillStoresItsResult) {
    Arguments args;
    args.Text("1111");
    exception.wCode = 7;
    EXPECT_EQ(E_ACCESSDENIED, Call(6, DISPATCH_METHOD, args));
    EXPECT_EQ(E_ACCESSDENIED, exception.scode);
    EXPECT_EQ(0, exception.wCode);
    ASSERT_EQ(VT_I4, result.vt);
    EXPECT_EQ(ZTGenerateKeyPairFailed, result.lVal);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
}

TEST_F(InvokeTest, ArgumentsMissingTheirArrayAreRefused) {
    DISPPARAMS params = {nullptr, nullptr, 1, 0};
    EXPECT_EQ(E_INVALIDARG,
              zentor->Invoke(6, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    DISPID* noNames = nullptr;
    DISPPARAMS named = {nullptr, noNames, 0, 1};
    EXPECT_EQ(DISP_E_NONAMEDARGS,
              zentor->Invoke(23, IID_NULL, 0, DISPATCH_METHOD, &named, nullptr, nullptr, nullptr));
}

} // namespace
