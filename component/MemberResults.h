// How the token members hand back what they produced: every member answers S_OK and
// leaves its outcome in its out-parameters (when the caller gave them) and LastZTError.
#pragma once

#include "component/NoThrow.h"
#include "component/base/ZentorErrors.h"
#include "platform/WinApi.h"

inline void PutResult(TZentorError result, TZentorError* out) {
    if (out != nullptr) {
        *out = result;
    }
}

// Takes ownership of `text`: it goes to the caller, or is freed when there is no slot.
inline void PutText(BSTR text, BSTR* out) {
    if (out != nullptr) {
        *out = text;
    } else {
        SysFreeString(text);
    }
}

// A member whose outcome is its TZentorError: runs `operation`, stores its code in
// LastZTError (`last`) and in the caller's out-parameter.
template <typename Operation>
HRESULT ReportOperation(TZentorError& last, TZentorError* out, Operation&& operation) {
    return NoThrow([&] {
        last = operation();
        PutResult(last, out);
        return S_OK;
    });
}
