#include "host/ParamConverters.h"

#include "host/HostError.h"

#include <climits>
#include <new>
#include <string_view>

namespace norva::host {

namespace {

const Json::Value& Member(const Json::Value& params, const char* key) {
    static const Json::Value absent;
    return params.isObject() ? params[key] : absent;
}

std::string_view StringBytes(const Json::Value& value) {
    const char* begin = nullptr;
    const char* end = nullptr;
    value.getString(&begin, &end);
    return {begin, static_cast<size_t>(end - begin)};
}

std::string_view UpToZeroByte(std::string_view bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

int CheckedLength(size_t length) {
    if (length > static_cast<size_t>(INT_MAX)) {
        RaiseHostError(kParamsInvalid);
    }
    return static_cast<int>(length);
}

// Widens bytes through a code page into a new BSTR; 706 when the code page rejects them.
OwnedBstr Widen(UINT codePage, DWORD flags, std::string_view bytes) {
    if (bytes.empty()) {
        return OwnedBstr(SysAllocStringLen(nullptr, 0));
    }
    const int length = CheckedLength(bytes.size());
    const int units = MultiByteToWideChar(codePage, flags, bytes.data(), length, nullptr, 0);
    if (units <= 0) {
        RaiseHostError(kParamsInvalid);
    }
    OwnedBstr text(SysAllocStringLen(nullptr, static_cast<UINT>(units)));
    if (text.Get() == nullptr) {
        throw std::bad_alloc();
    }
    if (MultiByteToWideChar(codePage, flags, bytes.data(), length, text.Get(), units) != units) {
        RaiseHostError(kParamsInvalid);
    }
    return text;
}

std::string_view TextBytes(const Json::Value& value) {
    if (value.isNull()) {
        return {};
    }
    if (value.isBool()) {
        return value.asBool() ? "true" : "false";
    }
    if (!value.isString()) {
        RaiseHostError(kParamsInvalid);
    }
    return StringBytes(value);
}

bool IsBlank(OLECHAR c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(OLECHAR c) {
    return c >= '0' && c <= '9';
}

LONG ParseDecimal(const OLECHAR* text, size_t length) {
    size_t at = 0;
    while (at < length && IsBlank(text[at])) {
        ++at;
    }
    const bool negative = at < length && text[at] == '-';
    at += at < length && (text[at] == '-' || text[at] == '+') ? 1 : 0;
    if (at == length || !IsDigit(text[at])) {
        RaiseHostError(kParamsInvalid);
    }
    long long value = 0;
    for (; at < length && IsDigit(text[at]); ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > static_cast<long long>(INT32_MAX) + 1) {
            RaiseHostError(kParamsInvalid);
        }
    }
    value = negative ? -value : value;
    if (value > INT32_MAX) {
        RaiseHostError(kParamsInvalid);
    }
    return static_cast<LONG>(value);
}

} // namespace

OwnedBstr TextParam(const Json::Value& params, const char* key) {
    return Widen(CP_UTF8, MB_ERR_INVALID_CHARS, TextBytes(Member(params, key)));
}

void RawDataParam(const Json::Value& params, const char* key, OwnedVariant& into) {
    const Json::Value& value = Member(params, key);
    if (value.isNull()) {
        into.SetBstr(nullptr);
        return;
    }
    if (!value.isString()) {
        RaiseHostError(kParamsInvalid);
    }
    into.SetBstr(Widen(CP_ACP, 0, UpToZeroByte(StringBytes(value))).Detach());
}

VARIANT_BOOL FlagParam(const Json::Value& params, const char* key) {
    const Json::Value& value = Member(params, key);
    if (value.isNull()) {
        return 0;
    }
    if (!value.isBool() && !value.isNumeric()) {
        RaiseHostError(kParamsInvalid);
    }
    return value.asBool() ? 1 : 0;
}

LONG CardTypeParam(const Json::Value& params, const char* key) {
    const Json::Value& value = Member(params, key);
    if (!value.isString()) {
        RaiseHostError(kParamsInvalid);
    }
    const OwnedBstr text = Widen(CP_ACP, 0, UpToZeroByte(StringBytes(value)));
    return ParseDecimal(text.Get(), SysStringLen(text.Get()));
}

std::string ResultText(BSTR text) {
    const UINT units = SysStringLen(text);
    size_t length = 0;
    while (length < units && text[length] != 0) {
        ++length;
    }
    if (length == 0) {
        return {};
    }
    const int wide = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        RaiseHostError(kInternalFailure);
    }
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, wide, out.data(), bytes, nullptr, nullptr);
    return out;
}

} // namespace norva::host
