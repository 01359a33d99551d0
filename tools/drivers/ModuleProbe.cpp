// probe: loads a PKCS#11 module as the component would and shows its slots and tokens,
// and which of them the component counts: tokens in hardware slots, read by
// C_GetSlotList(CK_TRUE) with room for 20 slots, whose token information can be read or
// whose reader is a Pendrel reader. A service token carries the label "Trellmoor".
#include <algorithm>
#include <cstdio>
#include <dlfcn.h>
#include <string>
#include <vector>

#include "component/access/TokenLabels.h"
#include "component/access/drivers/Pkcs11.h"
#include "tools/drivers/DriverTool.h"

namespace norva::tool {

namespace {

constexpr CK_ULONG kCountedSlots = 20; // the component's slot-list capacity
constexpr CK_ULONG kMaxSlotList = 4096;
constexpr CK_FLAGS kPresentHardwareToken = CKF_HW_SLOT | CKF_TOKEN_PRESENT;

class ModuleHandle {
public:
    ~ModuleHandle() {
        if (handle != nullptr) {
            dlclose(handle);
        }
    }
    void* handle = nullptr;
};

std::string Field(const unsigned char* field, size_t size) {
    return std::string(TrimBlanks(FieldText(field, size)));
}

bool HasProbedFunctions(CK_FUNCTION_LIST_PTR list) {
    return list != nullptr && list->C_Initialize != nullptr && list->C_Finalize != nullptr &&
           list->C_GetInfo != nullptr && list->C_GetSlotList != nullptr &&
           list->C_GetSlotInfo != nullptr && list->C_GetTokenInfo != nullptr;
}

// Loads the module and returns its initialised function list, or an exit code.
int StartModule(const std::string& path, ModuleHandle& module, CK_FUNCTION_LIST_PTR& list) {
    const int opened = OpenCheckedModule(path, DriverFamily::Pkcs11, module.handle);
    if (opened != kDone) {
        return opened;
    }
    const auto getList =
        reinterpret_cast<CK_C_GetFunctionList>(dlsym(module.handle, "C_GetFunctionList"));
    CK_RV rv = getList(&list);
    if (rv != CKR_OK || !HasProbedFunctions(list)) {
        std::fprintf(
            stderr,
            "norva-drivers: %s: C_GetFunctionList failed (0x%08lX) or gave no function list\n",
            path.c_str(), static_cast<unsigned long>(rv));
        return kModuleFailed;
    }
    CK_C_INITIALIZE_ARGS args = {};
    args.flags = CKF_OS_LOCKING_OK; // as the component initialises it
    rv = list->C_Initialize(&args);
    if (rv != CKR_OK) {
        std::fprintf(stderr,
                     "norva-drivers: %s: C_Initialize failed (0x%08lX); the component would "
                     "load it and count no token\n",
                     path.c_str(), static_cast<unsigned long>(rv));
        return kModuleFailed;
    }
    return kDone;
}

bool ListSlots(CK_FUNCTION_LIST_PTR list, CK_BBOOL tokenPresent, std::vector<CK_SLOT_ID>& slots) {
    CK_ULONG count = 0;
    // A count no reader system reaches is a module's fault, not a list to allocate.
    if (list->C_GetSlotList(tokenPresent, nullptr, &count) != CKR_OK || count > kMaxSlotList) {
        return false;
    }
    slots.resize(count);
    if (count != 0 && list->C_GetSlotList(tokenPresent, slots.data(), &count) != CKR_OK) {
        return false;
    }
    slots.resize(std::min<CK_ULONG>(count, slots.size()));
    return true;
}

struct Counts {
    int counted = 0;
    int service = 0;
    int softwareTokens = 0;
};

// One slot's lines; adds what it holds to counts.
void ShowSlot(CK_FUNCTION_LIST_PTR list, CK_SLOT_ID slot, bool listedForCount, Counts& counts) {
    CK_SLOT_INFO slotInfo = {};
    if (list->C_GetSlotInfo(slot, &slotInfo) != CKR_OK) {
        std::printf("slot %lu: slot information cannot be read - not counted\n",
                    static_cast<unsigned long>(slot));
        return;
    }
    const bool hardware = (slotInfo.flags & CKF_HW_SLOT) != 0;
    const bool present = (slotInfo.flags & CKF_TOKEN_PRESENT) != 0;
    std::printf("slot %lu: \"%s\" (%s, %s)\n", static_cast<unsigned long>(slot),
                Field(slotInfo.slotDescription, sizeof slotInfo.slotDescription).c_str(),
                hardware ? "hardware" : "software", present ? "token present" : "no token");
    if (!present) {
        return;
    }
    CK_TOKEN_INFO tokenInfo = {};
    const bool readable = list->C_GetTokenInfo(slot, &tokenInfo) == CKR_OK;
    const bool service = readable && IsNorvaLabel(tokenInfo);
    const char* verdict = "counted";
    if (!hardware) {
        verdict = "not counted: software slot";
        ++counts.softwareTokens;
    } else if (!listedForCount) {
        verdict = "not counted: beyond the first 20 slots";
    } else if (!readable && !IsPendrelReader(slotInfo)) {
        verdict = "not counted: token information cannot be read";
    } else {
        ++counts.counted;
        counts.service += service ? 1 : 0;
    }
    if (readable) {
        std::printf("  token \"%s\"%s - %s\n",
                    Field(tokenInfo.label, sizeof tokenInfo.label).c_str(),
                    service ? ", service token" : "", verdict);
    } else {
        std::printf("  token information cannot be read - %s\n", verdict);
    }
}

} // namespace

int OpenCheckedModule(const std::string& path, DriverFamily family, void*& handle) {
    std::string detail;
    switch (OpenDriverModule(path, family, handle, detail)) {
    case ModuleCheck::Loaded:
        return kDone;
    case ModuleCheck::Missing:
        std::fprintf(stderr, "norva-drivers: %s: no such file (give its full path)\n",
                     path.c_str());
        return kMissing;
    case ModuleCheck::NotALibrary:
        std::fprintf(stderr, "norva-drivers: %s: not a loadable library (%s)\n", path.c_str(),
                     detail.c_str());
        return kNotAModule;
    case ModuleCheck::NotADriver:
        std::fprintf(stderr, "norva-drivers: %s: not a%s: it does not export %s\n", path.c_str(),
                     family == DriverFamily::Pkcs11 ? " PKCS#11 module" : "n hl_* driver",
                     FamilyEntryPoint(family));
        return kNotAModule;
    }
    return kNotAModule;
}

int CheckPkcs11Module(const std::string& path) {
    ModuleHandle module;
    CK_FUNCTION_LIST_PTR list = nullptr;
    const int started = StartModule(path, module, list);
    if (started == kDone) {
        list->C_Finalize(nullptr);
    }
    return started;
}

int ProbeModule(const Arguments& arguments) {
    const std::string& path = arguments.words[0];
    ModuleHandle module;
    CK_FUNCTION_LIST_PTR list = nullptr;
    const int started = StartModule(path, module, list);
    if (started != kDone) {
        return started;
    }
    CK_INFO info = {};
    if (list->C_GetInfo(&info) == CKR_OK) {
        std::printf("module: %s\nlibrary: \"%s\" by \"%s\", Cryptoki %u.%u\n", path.c_str(),
                    Field(info.libraryDescription, sizeof info.libraryDescription).c_str(),
                    Field(info.manufacturerID, sizeof info.manufacturerID).c_str(),
                    info.cryptokiVersion.major, info.cryptokiVersion.minor);
    }
    std::vector<CK_SLOT_ID> all, withToken;
    if (!ListSlots(list, CK_FALSE, all) || !ListSlots(list, CK_TRUE, withToken)) {
        std::fprintf(stderr, "norva-drivers: %s: C_GetSlotList failed\n", path.c_str());
        list->C_Finalize(nullptr);
        return kModuleFailed;
    }
    withToken.resize(std::min<size_t>(withToken.size(), kCountedSlots));
    std::printf("slots: %zu\n", all.size());
    Counts counts;
    for (const CK_SLOT_ID slot : all) {
        const bool listed = std::find(withToken.begin(), withToken.end(), slot) != withToken.end();
        ShowSlot(list, slot, listed, counts);
    }
    list->C_Finalize(nullptr);
    if (all.empty()) {
        std::printf("no reader: the module sees no slot (is the reader plugged in, and is "
                    "pcscd running?)\n");
    } else if (counts.counted == 0 && counts.softwareTokens > 0) {
        std::printf("only software slots hold tokens: the component counts tokens in "
                    "hardware slots only\n");
    }
    std::printf("tokens counted: %d (service tokens: %d)\n", counts.counted, counts.service);
    return kDone;
}

} // namespace norva::tool
