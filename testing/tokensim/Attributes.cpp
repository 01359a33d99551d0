#include "testing/tokensim/Attributes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tokensim {
namespace {

struct CAttributeInfo {
    CK_ATTRIBUTE_TYPE type;
    const char* name;
    TValueKind kind;
};

const CAttributeInfo kAttributes[] = {
    {CKA_CLASS, "CKA_CLASS", TValueKind::Number},
    {CKA_TOKEN, "CKA_TOKEN", TValueKind::Flag},
    {CKA_PRIVATE, "CKA_PRIVATE", TValueKind::Flag},
    {CKA_LABEL, "CKA_LABEL", TValueKind::Bytes},
    {CKA_APPLICATION, "CKA_APPLICATION", TValueKind::Bytes},
    {CKA_VALUE, "CKA_VALUE", TValueKind::Bytes},
    {CKA_OBJECT_ID, "CKA_OBJECT_ID", TValueKind::Bytes},
    {CKA_CERTIFICATE_TYPE, "CKA_CERTIFICATE_TYPE", TValueKind::Number},
    {CKA_ISSUER, "CKA_ISSUER", TValueKind::Bytes},
    {CKA_SERIAL_NUMBER, "CKA_SERIAL_NUMBER", TValueKind::Bytes},
    {CKA_TRUSTED, "CKA_TRUSTED", TValueKind::Flag},
    {CKA_KEY_TYPE, "CKA_KEY_TYPE", TValueKind::Number},
    {CKA_SUBJECT, "CKA_SUBJECT", TValueKind::Bytes},
    {CKA_ID, "CKA_ID", TValueKind::Bytes},
    {CKA_SENSITIVE, "CKA_SENSITIVE", TValueKind::Flag},
    {CKA_ENCRYPT, "CKA_ENCRYPT", TValueKind::Flag},
    {CKA_DECRYPT, "CKA_DECRYPT", TValueKind::Flag},
    {CKA_WRAP, "CKA_WRAP", TValueKind::Flag},
    {CKA_UNWRAP, "CKA_UNWRAP", TValueKind::Flag},
    {CKA_SIGN, "CKA_SIGN", TValueKind::Flag},
    {CKA_SIGN_RECOVER, "CKA_SIGN_RECOVER", TValueKind::Flag},
    {CKA_VERIFY, "CKA_VERIFY", TValueKind::Flag},
    {CKA_VERIFY_RECOVER, "CKA_VERIFY_RECOVER", TValueKind::Flag},
    {CKA_DERIVE, "CKA_DERIVE", TValueKind::Flag},
    {CKA_START_DATE, "CKA_START_DATE", TValueKind::Bytes},
    {CKA_END_DATE, "CKA_END_DATE", TValueKind::Bytes},
    {CKA_MODULUS, "CKA_MODULUS", TValueKind::Bytes},
    {CKA_MODULUS_BITS, "CKA_MODULUS_BITS", TValueKind::Number},
    {CKA_PUBLIC_EXPONENT, "CKA_PUBLIC_EXPONENT", TValueKind::Bytes},
    {CKA_PRIVATE_EXPONENT, "CKA_PRIVATE_EXPONENT", TValueKind::Bytes},
    {CKA_PRIME_1, "CKA_PRIME_1", TValueKind::Bytes},
    {CKA_PRIME_2, "CKA_PRIME_2", TValueKind::Bytes},
    {CKA_EXPONENT_1, "CKA_EXPONENT_1", TValueKind::Bytes},
    {CKA_EXPONENT_2, "CKA_EXPONENT_2", TValueKind::Bytes},
    {CKA_COEFFICIENT, "CKA_COEFFICIENT", TValueKind::Bytes},
    {CKA_VALUE_LEN, "CKA_VALUE_LEN", TValueKind::Number},
    {CKA_EXTRACTABLE, "CKA_EXTRACTABLE", TValueKind::Flag},
    {CKA_LOCAL, "CKA_LOCAL", TValueKind::Flag},
    {CKA_NEVER_EXTRACTABLE, "CKA_NEVER_EXTRACTABLE", TValueKind::Flag},
    {CKA_ALWAYS_SENSITIVE, "CKA_ALWAYS_SENSITIVE", TValueKind::Flag},
    {CKA_KEY_GEN_MECHANISM, "CKA_KEY_GEN_MECHANISM", TValueKind::Number},
    {CKA_MODIFIABLE, "CKA_MODIFIABLE", TValueKind::Flag},
    {CKA_COPYABLE, "CKA_COPYABLE", TValueKind::Flag},
    {CKA_DESTROYABLE, "CKA_DESTROYABLE", TValueKind::Flag},
    {CKA_ALWAYS_AUTHENTICATE, "CKA_ALWAYS_AUTHENTICATE", TValueKind::Flag},
    {CKA_WRAP_WITH_TRUSTED, "CKA_WRAP_WITH_TRUSTED", TValueKind::Flag},
};

struct CMechanismInfo {
    CK_MECHANISM_TYPE mechanism;
    const char* name;
};

const CMechanismInfo kMechanisms[] = {
    {CKM_RSA_PKCS_KEY_PAIR_GEN, "CKM_RSA_PKCS_KEY_PAIR_GEN"},
    {CKM_RSA_PKCS, "CKM_RSA_PKCS"},
    {CKM_MD5, "CKM_MD5"},
    {CKM_SHA_1, "CKM_SHA_1"},
    {CKM_SHA256, "CKM_SHA256"},
    {CKM_SHA512, "CKM_SHA512"},
};

const CAttributeInfo* Find(CK_ATTRIBUTE_TYPE type) {
    for (const auto& info : kAttributes)
        if (info.type == type)
            return &info;
    return nullptr;
}

std::string HexNumber(unsigned long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%lX", value);
    return text;
}

} // namespace

TValueKind KindOf(CK_ATTRIBUTE_TYPE type) {
    const CAttributeInfo* info = Find(type);
    return info ? info->kind : TValueKind::Bytes;
}

std::string AttributeName(CK_ATTRIBUTE_TYPE type) {
    const CAttributeInfo* info = Find(type);
    return info ? info->name : HexNumber(type);
}

std::optional<CK_ATTRIBUTE_TYPE> AttributeType(const std::string& name) {
    for (const auto& info : kAttributes)
        if (name == info.name)
            return info.type;
    if (name.rfind("0x", 0) == 0 && name.size() > 2)
        return static_cast<CK_ATTRIBUTE_TYPE>(std::strtoul(name.c_str() + 2, nullptr, 16));
    return std::nullopt;
}

bool ValidLength(CK_ATTRIBUTE_TYPE type, size_t length) {
    switch (KindOf(type)) {
    case TValueKind::Number:
        return length == sizeof(CK_ULONG);
    case TValueKind::Flag:
        return length == sizeof(CK_BBOOL);
    case TValueKind::Bytes:
        return true;
    }
    return true;
}

Bytes NumberBytes(CK_ULONG value) {
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

Bytes FlagBytes(bool value) {
    return Bytes{static_cast<uint8_t>(value ? CK_TRUE : CK_FALSE)};
}

CK_ULONG BytesNumber(const Bytes& value) {
    CK_ULONG number = 0;
    if (value.size() == sizeof number)
        std::memcpy(&number, value.data(), sizeof number);
    return number;
}

Json::Value ValueToJson(CK_ATTRIBUTE_TYPE type, const Bytes& value) {
    if (!ValidLength(type, value.size()))
        return sim::ToHex(value);
    switch (KindOf(type)) {
    case TValueKind::Number:
        return Json::Value(static_cast<Json::UInt64>(BytesNumber(value)));
    case TValueKind::Flag:
        return Json::Value(value[0] != CK_FALSE);
    case TValueKind::Bytes:
        break;
    }
    return sim::ToHex(value);
}

Bytes ValueFromJson(CK_ATTRIBUTE_TYPE type, const Json::Value& json) {
    (void)type;
    if (json.isBool())
        return FlagBytes(json.asBool());
    if (json.isIntegral())
        return NumberBytes(static_cast<CK_ULONG>(json.asUInt64()));
    return sim::FromHex(json.asString()).value_or(Bytes());
}

std::string ValueToLog(CK_ATTRIBUTE_TYPE type, const Bytes& value) {
    if (!ValidLength(type, value.size()) || KindOf(type) == TValueKind::Bytes)
        return sim::ToHex(value);
    if (KindOf(type) == TValueKind::Flag)
        return value[0] ? "1" : "0";
    return std::to_string(BytesNumber(value));
}

std::string MechanismName(CK_MECHANISM_TYPE mechanism) {
    for (const auto& info : kMechanisms)
        if (info.mechanism == mechanism)
            return info.name;
    return HexNumber(mechanism);
}

} // namespace tokensim
