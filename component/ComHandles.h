// Owning holders for the COM resources the component passes around, so that no path
// leaks an interface reference, a BSTR or a VARIANT.
#pragma once

#include <utility>

#include "platform/OwnedBstr.h"
#include "platform/OwnedVariant.h"
#include "platform/WinApi.h"

// One reference on an interface, released when the holder goes.
template <class T> class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : ptr(std::exchange(other.ptr, nullptr)) {}

    T* Get() const { return ptr; }
    T* operator->() const { return ptr; }
    explicit operator bool() const { return ptr != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** Put() {
        Reset();
        return &ptr;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    T* Detach() { return std::exchange(ptr, nullptr); }
    void Reset() {
        if (ptr != nullptr) {
            std::exchange(ptr, nullptr)->Release();
        }
    }

private:
    T* ptr = nullptr;
};
