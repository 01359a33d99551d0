#include "testing/hlsim/HlState.h"

#include <algorithm>
#include <cstring>

namespace hlsim {
namespace {

std::string FieldText(const char* field, size_t width) {
    return std::string(field, strnlen(field, width));
}

Json::Value KeyToJson(const sim::CRsaKey& key) {
    Json::Value json;
    json["n"] = sim::ToHex(key.n);
    json["e"] = sim::ToHex(key.e);
    json["d"] = sim::ToHex(key.d);
    json["p"] = sim::ToHex(key.p);
    json["q"] = sim::ToHex(key.q);
    json["u"] = sim::ToHex(key.u);
    return json;
}

Bytes HexOf(const Json::Value& json) {
    return sim::FromHex(json.asString()).value_or(Bytes());
}

sim::CRsaKey KeyFromJson(const Json::Value& json) {
    return sim::CRsaKey{HexOf(json["n"]), HexOf(json["e"]), HexOf(json["d"]),
                        HexOf(json["p"]), HexOf(json["q"]), HexOf(json["u"])};
}

Json::Value UserDataToJson(const HlUserData& data) {
    Json::Value json;
    json["userId"] = FieldText(data.userId, sizeof data.userId);
    json["lastName"] = FieldText(data.lastName, sizeof data.lastName);
    json["keyLength"] = data.keyLength;
    json["second"] = data.second;
    json["minute"] = data.minute;
    json["hour"] = data.hour;
    json["day"] = data.day;
    json["month"] = data.month;
    json["yearFrom1900"] = data.yearFrom1900;
    return json;
}

HlUserData UserDataFromJson(const Json::Value& json) {
    HlUserData data{};
    SetField(data.userId, json["userId"].asString());
    SetField(data.lastName, json["lastName"].asString());
    data.keyLength = json["keyLength"].asInt();
    data.second = json["second"].asInt();
    data.minute = json["minute"].asInt();
    data.hour = json["hour"].asInt();
    data.day = json["day"].asInt();
    data.month = json["month"].asInt();
    data.yearFrom1900 = json["yearFrom1900"].asInt();
    return data;
}

} // namespace

bool SetHlKey(CHlState& state, unsigned bits) {
    if (bits == 0) {
        state.key = sim::CRsaKey();
        state.userData.keyLength = 0;
        return true;
    }
    sim::CRsaKey key;
    if (sim::GenerateRsaKey(bits, {0x01, 0x00, 0x01}, key) != sim::TCryptoStatus::Ok ||
        key.ModulusBytes() > HL_PUBLIC_KEY_MAX_BYTES)
        return false;
    state.key = key;
    state.userData.keyLength = static_cast<int32_t>(key.ModulusBytes());
    return true;
}

CHlState DefaultHlState() {
    CHlState state;
    state.pin = sim::ToBytes("123456");
    SetField(state.userData.userId, "300123456");
    SetField(state.userData.lastName, "Levi");
    state.userData.second = 30;
    state.userData.minute = 20;
    state.userData.hour = 10;
    state.userData.day = 15;
    state.userData.month = 3;
    state.userData.yearFrom1900 = 126;
    SetField(state.specialData.firstName, "Dana");
    SetField(state.specialData.company, "Trellmoor Payments");
    SetHlKey(state, 1024);
    return state;
}

CHlState LoadHlState(const Json::Value& root) {
    if (!root.isObject() || !root.isMember("card"))
        return DefaultHlState();
    const Json::Value& card = root["card"];
    CHlState state;
    state.cardPresent = card["present"].asBool();
    state.pin = HexOf(card["pinHex"]);
    state.pinExpired = card["pinExpired"].asBool();
    state.pinFailures = card["pinFailures"].asInt();
    state.maxPinFailures = card.get("maxPinFailures", 3).asInt();
    state.userData = UserDataFromJson(card["userData"]);
    SetField(state.specialData.firstName, card["specialData"]["firstName"].asString());
    SetField(state.specialData.company, card["specialData"]["company"].asString());
    state.key = KeyFromJson(card["key"]);
    for (const auto& name : card["intParams"].getMemberNames())
        state.intParams[std::stoi(name)] = card["intParams"][name].asInt();
    return state;
}

void StoreHlState(const CHlState& state, Json::Value& root) {
    if (!root.isObject())
        root = Json::Value(Json::objectValue);
    Json::Value card;
    card["present"] = state.cardPresent;
    card["pinHex"] = sim::ToHex(state.pin);
    card["pinExpired"] = state.pinExpired;
    card["pinFailures"] = state.pinFailures;
    card["maxPinFailures"] = state.maxPinFailures;
    card["userData"] = UserDataToJson(state.userData);
    card["specialData"]["firstName"] =
        FieldText(state.specialData.firstName, sizeof state.specialData.firstName);
    card["specialData"]["company"] =
        FieldText(state.specialData.company, sizeof state.specialData.company);
    card["key"] = KeyToJson(state.key);
    card["intParams"] = Json::Value(Json::objectValue);
    for (const auto& [param, value] : state.intParams)
        card["intParams"][std::to_string(param)] = value;
    root["card"] = card;
}

} // namespace hlsim
