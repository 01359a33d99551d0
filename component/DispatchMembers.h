// The members that Invoke reaches, one row per dispatch identifier: how many arguments
// each form takes, the type each argument is coerced to, the type of its result, and the
// call of the IZentor member.
#pragma once

#include "component/IZentor.h"
#include "platform/OwnedBstr.h"

inline constexpr UINT kMaxDispatchArguments = 7;

// An argument type that asks for no coercion: the VARIANT is passed on as given (a
// VARIANT by reference is replaced by the one it points to).
inline constexpr VARTYPE kPassUnchanged = VT_VARIANT;

// Where a member leaves its result; each slot has one VARIANT type.
enum class ResultSlot { None, Code, Pkcs11Code, Number, Text, Flag };

// The result of one call. Starts null or 0; owns the text until it is handed on.
struct InvokeResult {
    TZentorError code = ZTNoError;
    TPKCS11Error pkcs11Code = ZT_CKR_OK;
    LONG number = 0;
    OwnedBstr text;
    VARIANT_BOOL flag = 0;
};

// Arguments arrive coerced and first parameter first.
using MemberCall = HRESULT (*)(IZentor& object, VARIANT* args, InvokeResult& result);

struct MemberForm {
    UINT argCount;
    VARTYPE argTypes[6];
    ResultSlot result;
    MemberCall call;
};

// The form that Invoke runs for this identifier and these flags, or null when there is
// none (unknown identifier, or a read/write property asked neither to get nor to put).
const MemberForm* SelectMemberForm(DISPID id, WORD flags);

// The VARIANT type of a result slot (VT_EMPTY for none).
VARTYPE ResultType(ResultSlot slot);
