#include "testing/tokensim/TokenState.h"

#include <cstdio>

#include "testing/tokensim/Attributes.h"

namespace tokensim {

const Bytes* CObject::Find(CK_ATTRIBUTE_TYPE type) const {
    for (const auto& attribute : attributes)
        if (attribute.type == type)
            return &attribute.value;
    return nullptr;
}

bool CObject::Flag(CK_ATTRIBUTE_TYPE type, bool fallback) const {
    const Bytes* value = Find(type);
    return value && value->size() == 1 ? (*value)[0] != CK_FALSE : fallback;
}

CK_ULONG CObject::Number(CK_ATTRIBUTE_TYPE type, CK_ULONG fallback) const {
    const Bytes* value = Find(type);
    return value && value->size() == sizeof(CK_ULONG) ? BytesNumber(*value) : fallback;
}

void CObject::Set(CK_ATTRIBUTE_TYPE type, const Bytes& value) {
    for (auto& attribute : attributes)
        if (attribute.type == type) {
            attribute.value = value;
            return;
        }
    attributes.push_back({type, value});
}

CReader* CTokenState::FindReader(CK_SLOT_ID slot) {
    for (auto& reader : readers)
        if (reader.slot == slot)
            return &reader;
    return nullptr;
}

CToken CTokenState::NewToken() {
    char serial[17];
    std::snprintf(serial, sizeof serial, "SIM%013d", nextSerial++);
    CToken token;
    token.serial = serial;
    return token;
}

CReader& CTokenState::AddReader(const std::string& description) {
    CReader reader;
    reader.slot = nextSlot++;
    reader.description = description;
    reader.token = NewToken();
    readers.push_back(reader);
    return readers.back();
}

namespace {

Json::Value ObjectToJson(const CObject& object) {
    Json::Value json;
    json["handle"] = static_cast<Json::UInt64>(object.handle);
    Json::Value& attributes = json["attributes"] = Json::Value(Json::arrayValue);
    for (const auto& attribute : object.attributes) {
        Json::Value pair(Json::arrayValue);
        pair.append(AttributeName(attribute.type));
        pair.append(ValueToJson(attribute.type, attribute.value));
        attributes.append(pair);
    }
    return json;
}

CObject ObjectFromJson(const Json::Value& json) {
    CObject object;
    object.handle = static_cast<CK_OBJECT_HANDLE>(json["handle"].asUInt64());
    for (const auto& pair : json["attributes"]) {
        const auto type = AttributeType(pair[0].asString());
        if (type)
            object.attributes.push_back({*type, ValueFromJson(*type, pair[1])});
    }
    return object;
}

Bytes HexField(const Json::Value& json) {
    return sim::FromHex(json.asString()).value_or(Bytes());
}

Json::Value TokenToJson(const CToken& token) {
    Json::Value json;
    json["label"] = token.label;
    json["serial"] = token.serial;
    json["initialized"] = token.initialized;
    json["soPinHex"] = sim::ToHex(token.soPin);
    json["userPinHex"] = sim::ToHex(token.userPin);
    json["userPinInitialized"] = token.userPinInitialized;
    json["userPinExpired"] = token.userPinExpired;
    json["soPinExpired"] = token.soPinExpired;
    json["userPinFailures"] = token.userPinFailures;
    json["soPinFailures"] = token.soPinFailures;
    json["nextHandle"] = static_cast<Json::UInt64>(token.nextHandle);
    Json::Value& objects = json["objects"] = Json::Value(Json::arrayValue);
    for (const auto& object : token.objects)
        objects.append(ObjectToJson(object));
    return json;
}

CToken TokenFromJson(const Json::Value& json) {
    CToken token;
    token.label = json["label"].asString();
    token.label.resize(32, ' ');
    token.serial = json["serial"].asString();
    token.initialized = json["initialized"].asBool();
    token.soPin = HexField(json["soPinHex"]);
    token.userPin = HexField(json["userPinHex"]);
    token.userPinInitialized = json["userPinInitialized"].asBool();
    token.userPinExpired = json["userPinExpired"].asBool();
    token.soPinExpired = json["soPinExpired"].asBool();
    token.userPinFailures = json["userPinFailures"].asInt();
    token.soPinFailures = json["soPinFailures"].asInt();
    token.nextHandle = static_cast<CK_OBJECT_HANDLE>(json.get("nextHandle", 1).asUInt64());
    for (const auto& object : json["objects"])
        token.objects.push_back(ObjectFromJson(object));
    return token;
}

} // namespace

CTokenState LoadTokenState(const Json::Value& root) {
    CTokenState state;
    if (!root.isObject() || !root.isMember("readers")) {
        state.AddReader("Simulated USB Token Reader");
        return state;
    }
    state.maxPinFailures = root.get("maxPinFailures", 3).asInt();
    state.nextSlot = static_cast<CK_SLOT_ID>(root.get("nextSlot", 1).asUInt64());
    state.nextSerial = root.get("nextSerial", 1).asInt();
    state.emptySignatures = root.get("emptySignatures", 0).asInt();
    for (const auto& json : root["readers"]) {
        CReader reader;
        reader.slot = static_cast<CK_SLOT_ID>(json["slot"].asUInt64());
        reader.description = json["description"].asString();
        reader.hardware = json.get("hardware", true).asBool();
        reader.present = json.get("present", true).asBool();
        reader.tokenInfoFails = json.get("tokenInfoFails", false).asBool();
        reader.token = TokenFromJson(json["token"]);
        state.readers.push_back(reader);
    }
    return state;
}

void StoreTokenState(const CTokenState& state, Json::Value& root) {
    if (!root.isObject())
        root = Json::Value(Json::objectValue);
    root["maxPinFailures"] = state.maxPinFailures;
    root["nextSlot"] = static_cast<Json::UInt64>(state.nextSlot);
    root["nextSerial"] = state.nextSerial;
    root["emptySignatures"] = state.emptySignatures;
    Json::Value& readers = root["readers"] = Json::Value(Json::arrayValue);
    for (const auto& reader : state.readers) {
        Json::Value json;
        json["slot"] = static_cast<Json::UInt64>(reader.slot);
        json["description"] = reader.description;
        json["hardware"] = reader.hardware;
        json["present"] = reader.present;
        json["tokenInfoFails"] = reader.tokenInfoFails;
        json["token"] = TokenToJson(reader.token);
        readers.append(json);
    }
}

} // namespace tokensim
