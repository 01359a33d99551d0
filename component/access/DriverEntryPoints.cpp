#include "component/access/DriverEntryPoints.h"

namespace {

// One stub per entry-point type, with that type's arguments and calling convention,
// so that a caller's stack is left exactly as a real driver would leave it.
template <typename Function> struct Pkcs11Stub;

template <typename... Args> struct Pkcs11Stub<CK_RV (*)(Args...)> {
    static CK_RV Call(Args...) { return CKR_FUNCTION_NOT_SUPPORTED; }
};

template <typename Function> struct HlStub;

template <typename... Args> struct HlStub<int32_t(WINAPI*)(Args...)> {
    static int32_t WINAPI Call(Args...) { return HL_ERR_NOT_SUPPORTED; }
};

template <typename Function, template <typename> class Stub>
Function Resolve(HMODULE module, const char* name) {
    const FARPROC found = module != nullptr ? GetProcAddress(module, name) : nullptr;
    if (found == nullptr) {
        return &Stub<Function>::Call;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

} // namespace

void ResolvePkcs11Table(HMODULE module, Pkcs11Table& table) {
    table = Pkcs11Table{};
#define NORVA_RESOLVE(name) table.name = Resolve<decltype(table.name), Pkcs11Stub>(module, #name);
    NORVA_PKCS11_FUNCTIONS(NORVA_RESOLVE)
#undef NORVA_RESOLVE
}

void ResolveHlTable(HMODULE module, HlTable& table) {
#define NORVA_RESOLVE(name) table.name = Resolve<decltype(table.name), HlStub>(module, #name);
    NORVA_HL_FUNCTIONS(NORVA_RESOLVE)
#undef NORVA_RESOLVE
}
