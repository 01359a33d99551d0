// There is no type-library loader on POSIX: every entry point reports that the library
// cannot be loaded, and callers fall back to their own tables.
#include "platform/WinApi.h"

HRESULT LoadTypeLibEx(LPCOLESTR, REGKIND, ITypeLib** pptlib) {
    if (pptlib == nullptr) {
        return E_INVALIDARG;
    }
    *pptlib = nullptr;
    return TYPE_E_CANTLOADLIBRARY;
}

HRESULT LoadTypeLib(LPCOLESTR szFile, ITypeLib** pptlib) {
    return LoadTypeLibEx(szFile, REGKIND_DEFAULT, pptlib);
}

HRESULT LoadRegTypeLib(REFGUID, WORD, WORD, LCID, ITypeLib** pptlib) {
    return LoadTypeLibEx(nullptr, REGKIND_NONE, pptlib);
}

HRESULT RegisterTypeLib(ITypeLib*, LPCOLESTR, LPCOLESTR) {
    return TYPE_E_CANTLOADLIBRARY;
}

HRESULT UnRegisterTypeLib(REFGUID, WORD, WORD, LCID, SYSKIND) {
    return TYPE_E_CANTLOADLIBRARY;
}
