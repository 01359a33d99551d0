// A stand-in for the component library, installed under the component's file name beside a
// copy of NorvaHost, so wire tests control the component's answers end to end. The answers
// come from the environment:
//   NORVA_FAKE_TEXT_HEX      every text result, as hexadecimal UTF-8 bytes
//   NORVA_FAKE_LAST_ZT_ERROR the LastZTError value, in decimal
//   NORVA_FAKE_PKCS11_ERROR  the PKCS11Error value, in decimal
//   NORVA_FAKE_FAILING       one member (for example "get_PKCS11Error") that returns E_FAIL
#include "tests/host/CRecordingZentor.h"

#include <cstdlib>
#include <string>

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string BytesFromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

std::u16string Utf16(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    std::u16string wide(static_cast<size_t>(size), u'\0');
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size,
                                          reinterpret_cast<LPWSTR>(wide.data()), size);
    wide.resize(static_cast<size_t>(units > 0 ? units : 0));
    return wide;
}

norva::test::ZentorAnswers AnswersFromEnvironment() {
    norva::test::ZentorAnswers answers;
    answers.text = Utf16(BytesFromHex(Variable("NORVA_FAKE_TEXT_HEX")));
    answers.lastZTError =
        static_cast<TZentorError>(std::atoi(Variable("NORVA_FAKE_LAST_ZT_ERROR").c_str()));
    answers.pkcs11Error = static_cast<TPKCS11Error>(
        std::strtoul(Variable("NORVA_FAKE_PKCS11_ERROR").c_str(), nullptr, 10));
    const std::string failing = Variable("NORVA_FAKE_FAILING");
    if (!failing.empty()) {
        answers.failures[failing] = E_FAIL;
    }
    return answers;
}

class CFakeFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        auto* component = new norva::test::CRecordingZentor();
        component->deleteOnLastRelease = true;
        component->answers = AnswersFromEnvironment();
        const HRESULT result = component->QueryInterface(riid, object);
        component->Release();
        return result;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

CFakeFactory g_factory;

} // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!IsEqualCLSID(rclsid, CLSID_CZentor)) {
        *ppv = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return g_factory.QueryInterface(riid, ppv);
}
