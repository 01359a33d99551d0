// Well-formed VARIANTs of every kind a caller may hand the component, made from fuzz input:
// scalars, texts, arrays of one or more dimensions, and each of them by reference.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <deque>
#include <memory>
#include <vector>

#include "platform/WinApi.h"

namespace norva::fuzz {

// Owns what the VARIANTs it makes point to, and frees it when it goes.
class CVariantMaker {
public:
    explicit CVariantMaker(FuzzedDataProvider& input) : input_(input) {}
    ~CVariantMaker();
    CVariantMaker(const CVariantMaker&) = delete;
    CVariantMaker& operator=(const CVariantMaker&) = delete;

    // A new VARIANT, owned by the maker; depth limits VARIANTs by reference inside VARIANTs.
    VARIANT& Make(int depth = 2);
    // A text of UTF-16 units from the input (null now and then).
    BSTR Text();
    // A one- or two-dimensional array of elementType with random bounds and elements.
    SAFEARRAY* Array(VARTYPE elementType);

private:
    VARIANT& Fresh();

    FuzzedDataProvider& input_;
    std::deque<VARIANT> variants_; // stable addresses for references
    std::vector<BSTR> texts_;
    std::vector<SAFEARRAY*> arrays_;
    std::deque<SAFEARRAY*> arraySlots_;
    std::deque<BSTR> textSlots_;
};

} // namespace norva::fuzz
