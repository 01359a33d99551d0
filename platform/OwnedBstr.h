// The one owner of a BSTR, used by the host, the component and the tests: the string is
// freed when the holder goes, and a moved-from holder owns nothing.
#pragma once

#include <utility>

#include "platform/WinApi.h"

class OwnedBstr {
public:
    OwnedBstr() = default;
    // Takes ownership of `text` (which may be null).
    explicit OwnedBstr(BSTR text) : bstr(text) {}
    ~OwnedBstr() { SysFreeString(bstr); }
    OwnedBstr(OwnedBstr&& other) noexcept : bstr(std::exchange(other.bstr, nullptr)) {}
    OwnedBstr& operator=(OwnedBstr&& other) noexcept {
        std::swap(bstr, other.bstr);
        return *this;
    }
    OwnedBstr(const OwnedBstr&) = delete;
    OwnedBstr& operator=(const OwnedBstr&) = delete;

    BSTR Get() const { return bstr; }
    // For an out-parameter: frees what is held and hands out the slot, whose new string
    // the holder then owns.
    BSTR* Put() {
        SysFreeString(std::exchange(bstr, nullptr));
        return &bstr;
    }
    // For an in/out parameter that the callee may reallocate (SysReAllocString).
    BSTR* InOut() { return &bstr; }
    // Hands the string to a new owner.
    BSTR Detach() { return std::exchange(bstr, nullptr); }

private:
    BSTR bstr = nullptr;
};
