// One command being run: its parameters, the component, and the calls every command makes
// in the same way (the token-count read before the main call, the HRESULT check, the result
// conversions).
#pragma once

#include "component/IZentor.h"
#include "platform/OwnedBstr.h"
#include "host/CommandTable.h"
#include "host/ParamConverters.h"

#include <json/value.h>
#include <optional>
#include <string>

namespace norva::host {

// Raises 709 for a failing HRESULT.
void CheckComponentCall(HRESULT result);

class CCommandCall {
public:
    CCommandCall(IZentor& component, const Json::Value& params,
                 std::span<const ParamMember> members, bool tokenCountFirst)
        : component_(component), params_(params), members_(members),
          tokenCountFirst_(tokenCountFirst) {}

    // A property command with "params" present is a put.
    bool IsPut() const { return !params_.isNull(); }

    // The members of "params" that the command declares, converted by their kind.
    OwnedBstr Text(const char* key) const {
        return TextParam(params_, Declared(key, ParamKind::Text));
    }
    void RawData(const char* key, OwnedVariant& into) const {
        RawDataParam(params_, Declared(key, ParamKind::RawData), into);
    }
    VARIANT_BOOL Flag(const char* key) const {
        return FlagParam(params_, Declared(key, ParamKind::Flag));
    }
    LONG CardType(const char* key) const {
        return CardTypeParam(params_, Declared(key, ParamKind::CardType));
    }

    // The main call of a method with a TZentorError retval; its result text is the value.
    template <typename Method, typename... Args> std::string Retval(Method method, Args... args) {
        BeforeMainCall();
        TZentorError value = ZTNoError;
        CheckComponentCall((component_.*method)(args..., &value));
        return std::to_string(static_cast<int32_t>(value));
    }

    // The main call of a method or property get with a BSTR result.
    template <typename Method, typename... Args> std::string Bstr(Method method, Args... args) {
        BeforeMainCall();
        OwnedBstr value;
        CheckComponentCall((component_.*method)(args..., value.Put()));
        return ResultText(value.Get());
    }

    // The main call of a property get with an integer result (LONG or VARIANT_BOOL).
    template <typename Value, typename Method> std::string Number(Method method) {
        BeforeMainCall();
        Value value = 0;
        CheckComponentCall((component_.*method)(&value));
        return std::to_string(value);
    }

    // A property put; its result text is empty.
    template <typename Method, typename Arg> std::string Put(Method method, Arg arg) {
        BeforeMainCall();
        CheckComponentCall((component_.*method)(arg));
        return {};
    }

    // Before a file-signing call, after its parameters: reads the token count, then raises
    // 711 when the upload's signatures could not reach the page (UploadLimit.h).
    void LimitUpload(std::optional<size_t> records);

    // After a file-signing call: the flag is set when SignFileCanceled reads exactly 1.
    void ReadSignFileCanceled();
    bool SignFileCanceled() const { return signFileCanceled_; }

private:
    // key, when the command's table row declares it with that kind; 710 otherwise, so that
    // the table stays the one list of what each command takes.
    const char* Declared(const char* key, ParamKind kind) const;

    // Reads NorvaEFTTokensCount and drops the value, for the commands that need it; always
    // after their parameters have been taken.
    void BeforeMainCall();

    IZentor& component_;
    const Json::Value& params_;
    const std::span<const ParamMember> members_;
    // Cleared once the token count has been read, so that it is read once.
    bool tokenCountFirst_;
    bool signFileCanceled_ = false;
};

} // namespace norva::host
