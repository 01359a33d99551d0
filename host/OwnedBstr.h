// A BSTR that the host allocates or receives, freed when the holder goes away.
#pragma once

#include "platform/WinApi.h"

#include <utility>

namespace norva::host {

class COwnedBstr {
public:
    COwnedBstr() = default;
    explicit COwnedBstr(BSTR text) : text_(text) {}
    ~COwnedBstr() { SysFreeString(text_); }
    COwnedBstr(COwnedBstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
    COwnedBstr& operator=(COwnedBstr&& other) noexcept {
        std::swap(text_, other.text_);
        return *this;
    }
    COwnedBstr(const COwnedBstr&) = delete;
    COwnedBstr& operator=(const COwnedBstr&) = delete;

    BSTR get() const { return text_; }
    // Hands the string to a new owner.
    BSTR release() { return std::exchange(text_, nullptr); }
    // For an out parameter: the holder must be empty, and owns what the callee stores.
    BSTR* receive() { return &text_; }

private:
    BSTR text_ = nullptr;
};

} // namespace norva::host
