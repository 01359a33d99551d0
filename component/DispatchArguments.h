// The arguments of one Invoke call, coerced to the types a member form takes. Converted
// copies live here until the call is over; unconverted arguments are the caller's own.
#pragma once

#include "component/ComHandles.h"
#include "component/DispatchMembers.h"

class DispatchArguments {
public:
    DispatchArguments();
    DispatchArguments(const DispatchArguments&) = delete;
    DispatchArguments& operator=(const DispatchArguments&) = delete;

    // Takes the arguments from rgvarg, where they stand in reverse order, first parameter
    // first. A failed conversion writes that argument's rgvarg index to *argErr (when
    // given) and answers DISP_E_TYPEMISMATCH.
    HRESULT Coerce(const DISPPARAMS& params, const MemberForm& form, UINT* argErr);

    // First parameter first.
    VARIANT* Values() { return values; }

private:
    HRESULT Take(VARIANT& source, VARTYPE target, UINT position);

    VARIANT values[kMaxDispatchArguments];
    OwnedVariant converted[kMaxDispatchArguments];
};
