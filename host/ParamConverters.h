// Conversions of "params" members into IZentor arguments, and of IZentor results into the
// reply's result text. A member of the wrong JSON type, or text that is not valid UTF-8,
// raises 706.
#pragma once

#include "platform/OwnedBstr.h"
#include "platform/OwnedVariant.h"

#include <json/value.h>
#include <string>

namespace norva::host {

// A JSON string decoded from UTF-8 (characters above U+FFFF become surrogate pairs, zero
// characters are kept); absent or null gives the empty text, true and false their names.
OwnedBstr TextParam(const Json::Value& params, const char* key);

// The bytes of a JSON string up to its first zero byte, widened one by one through the ANSI
// code page and held as VT_BSTR; absent or null gives a null BSTR.
void RawDataParam(const Json::Value& params, const char* key, OwnedVariant& into);

// true, or a non-zero number, gives 1 (not VARIANT_TRUE); false, zero, absent or null give 0.
VARIANT_BOOL FlagParam(const Json::Value& params, const char* key);

// A decimal integer at the start of a string: leading white space, an optional sign, at
// least one digit; whatever follows is ignored. It must fit in 32 bits.
LONG CardTypeParam(const Json::Value& params, const char* key);

// The characters up to the first zero character, as UTF-8; a null BSTR gives "".
std::string ResultText(BSTR text);

} // namespace norva::host
