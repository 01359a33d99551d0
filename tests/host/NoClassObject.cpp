// A library under the component's file name that lacks the class-object entry.
#include "platform/WinApi.h"

STDAPI DllCanUnloadNow() {
    return S_FALSE;
}
