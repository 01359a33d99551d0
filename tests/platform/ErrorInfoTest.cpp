// The thread's error object: set once, handed over once.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class FakeErrorInfo : public IErrorInfo {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IErrorInfo)) {
            return E_NOINTERFACE;
        }
        *ppv = static_cast<IErrorInfo*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetGUID(GUID* guid) override {
        *guid = GUID_NULL;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR* text) override { return Text(text); }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* text) override { return Text(text); }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* text) override { return Text(text); }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* context) override {
        *context = 0;
        return S_OK;
    }

    ULONG references = 1;

private:
    static HRESULT Text(BSTR* text) {
        *text = SysAllocString(OLESTR("fake"));
        return S_OK;
    }
};

} // namespace

TEST(ErrorInfo, IsHandedOverOnce) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    FakeErrorInfo error;
    ASSERT_EQ(SetErrorInfo(0, &error), S_OK);
    EXPECT_EQ(error.references, 2u);
    IErrorInfo* taken = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &taken), S_OK);
    EXPECT_EQ(taken, &error);
    EXPECT_EQ(error.references, 2u);
    taken->Release();
    IErrorInfo* again = reinterpret_cast<IErrorInfo*>(1);
    EXPECT_EQ(GetErrorInfo(0, &again), S_FALSE);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(error.references, 1u);
    CoUninitialize();
}

TEST(ErrorInfo, SettingNoneReleasesThePrevious) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    FakeErrorInfo error;
    ASSERT_EQ(SetErrorInfo(0, &error), S_OK);
    ASSERT_EQ(SetErrorInfo(0, nullptr), S_OK);
    EXPECT_EQ(error.references, 1u);
    IErrorInfo* taken = reinterpret_cast<IErrorInfo*>(1);
    EXPECT_EQ(GetErrorInfo(0, &taken), S_FALSE);
    EXPECT_EQ(taken, nullptr);
    CoUninitialize();
}
