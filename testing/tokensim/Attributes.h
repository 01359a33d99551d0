// Names and value kinds of the PKCS#11 attributes the token simulator knows, used to
// validate templates, to store objects readably and to write the call log.
#pragma once

#include <optional>
#include <string>

#include <json/json.h>

#include "component/access/drivers/Pkcs11.h"
#include "testing/common/Bytes.h"

namespace tokensim {

using sim::Bytes;

enum class TValueKind { Number, Flag, Bytes };

TValueKind KindOf(CK_ATTRIBUTE_TYPE type);
std::string AttributeName(CK_ATTRIBUTE_TYPE type);
std::optional<CK_ATTRIBUTE_TYPE> AttributeType(const std::string& name);
// True when a value of this length fits the attribute's kind (CK_ULONG, CK_BBOOL).
bool ValidLength(CK_ATTRIBUTE_TYPE type, size_t length);

Bytes NumberBytes(CK_ULONG value);
Bytes FlagBytes(bool value);
CK_ULONG BytesNumber(const Bytes& value);

// Stored form: a number, true/false, or hexadecimal text, after the attribute's kind.
Json::Value ValueToJson(CK_ATTRIBUTE_TYPE type, const Bytes& value);
Bytes ValueFromJson(CK_ATTRIBUTE_TYPE type, const Json::Value& json);
// Log form: decimal numbers, 1/0 flags, hexadecimal bytes.
std::string ValueToLog(CK_ATTRIBUTE_TYPE type, const Bytes& value);

std::string MechanismName(CK_MECHANISM_TYPE mechanism);

} // namespace tokensim
