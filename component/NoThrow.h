// Keeps exceptions from crossing the COM interface: a member's body runs inside, and an
// allocation failure becomes E_OUTOFMEMORY, any other exception E_UNEXPECTED.
#pragma once

#include <new>

#include "platform/WinApi.h"

template <typename Body> HRESULT NoThrow(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
