// IDispatch::Invoke on a CZentor with random member identifiers, flags, argument counts,
// named arguments and VARIANTs, with no driver to be found. Its upload prompt is a double
// that answers as the input says. Whatever comes in, a result and a failing argument's
// index are well formed.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "component/CZentor.h"
#include "tests/fuzz/FuzzVariants.h"
#include "tests/signing/CPromptDouble.h"

namespace {

constexpr WORD kFlags[] = {
    DISPATCH_METHOD,      DISPATCH_PROPERTYGET,    DISPATCH_METHOD | DISPATCH_PROPERTYGET,
    DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF, DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF};

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // An empty folder of our own for drivers and for both registry stores.
    namespace fs = std::filesystem;
    static const std::string folder =
        (fs::temp_directory_path() / ("norva-fuzz-invoke-" + std::to_string(getpid()))).string();
    fs::create_directories(folder);
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    setenv("XDG_CONFIG_DIRS", folder.c_str(), 1);
    SetDllDirectoryA(folder.c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    CZentor component(nullptr, std::make_unique<CPromptDouble>(input.ConsumeBool()));
    const DISPID member = input.ConsumeBool() ? input.ConsumeIntegralInRange<DISPID>(-5, 30)
                                              : input.ConsumeIntegral<DISPID>();
    const WORD flags =
        input.ConsumeBool() ? input.PickValueInArray(kFlags) : input.ConsumeIntegral<WORD>();
    const UINT count = input.ConsumeIntegralInRange<UINT>(0, 8);
    const UINT named = input.ConsumeIntegralInRange<UINT>(0, count);
    const bool wantResult = input.ConsumeBool();
    const bool wantException = input.ConsumeBool();
    const bool wantArgError = input.ConsumeBool();

    norva::fuzz::CVariantMaker maker(input);
    std::vector<VARIANT> arguments(count);
    std::vector<DISPID> names(named);
    for (DISPID& name : names) {
        name =
            input.ConsumeBool() ? DISPID_PROPERTYPUT : input.ConsumeIntegralInRange<DISPID>(-4, 8);
    }
    for (VARIANT& argument : arguments) {
        argument = maker.Make();
    }
    DISPPARAMS params = {arguments.data(), named > 0 ? names.data() : nullptr, count, named};

    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT argError = 0xFFFFFFFF;
    const HRESULT hr =
        component.Invoke(member, IID_NULL, 0, flags, &params, wantResult ? &result : nullptr,
                         wantException ? &exception : nullptr, wantArgError ? &argError : nullptr);
    if (wantArgError && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND)) {
        Check(argError < count);
    }
    Check(VariantClear(&result) == S_OK);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return 0;
}
