#include "component/RegistrationEntries.h"

#include "component/ZentorIds.h"
#include "component/idl/AppIdScript.h"

namespace {

// The class identifier as registry text, "{D41D9EE8-...}"; GUID text is plain ASCII.
std::string ClassIdText() {
    const OleString text = GuidText(CLSID_CZentor);
    return std::string(text.begin(), text.end());
}

RegistryEntry Key(const std::string& key, KeyRule rule) {
    return {HKEY_CLASSES_ROOT, key, rule, false, "", ""};
}

RegistryEntry Value(const std::string& key, KeyRule rule, const char* name, const char* data) {
    return {HKEY_CLASSES_ROOT, key, rule, true, name, data};
}

} // namespace

std::string_view AppIdScript() {
    return kAppIdScript;
}

// The class key is replaced whole on registration, so that nothing of an earlier
// registration survives inside it; "Programmable" likewise.
const RegistryEntries& ClassEntries() {
    static const std::string classId = ClassIdText();
    static const std::string classKey = "CLSID\\" + classId;
    static const RegistryEntries entries = {
        Value("NorvaDigitalIDIF.Zentor.1", KeyRule::Normal, "", "%FriendlyName%"),
        Value("NorvaDigitalIDIF.Zentor.1\\CLSID", KeyRule::Normal, "", classId.c_str()),
        Value("NorvaDigitalIDIF.Zentor", KeyRule::Normal, "", "%FriendlyName%"),
        Value("NorvaDigitalIDIF.Zentor\\CLSID", KeyRule::Normal, "", classId.c_str()),
        Value("NorvaDigitalIDIF.Zentor\\CurVer", KeyRule::Normal, "", "NorvaDigitalIDIF.Zentor.1"),
        Key("CLSID", KeyRule::Keep),
        Value(classKey, KeyRule::ReplaceFirst, "", "%FriendlyName%"),
        Value(classKey, KeyRule::ReplaceFirst, "AppID", "%APPID%"),
        Value(classKey + "\\ProgID", KeyRule::Normal, "", "NorvaDigitalIDIF.Zentor.1"),
        Value(classKey + "\\VersionIndependentProgID", KeyRule::Normal, "",
              "NorvaDigitalIDIF.Zentor"),
        Key(classKey + "\\Programmable", KeyRule::ReplaceFirst),
        Value(classKey + "\\%MODULETYPE%", KeyRule::Normal, "", "%MODULE%"),
        Value(classKey + "\\%MODULETYPE%", KeyRule::Normal, "ThreadingModel", "apartment"),
        Value(classKey + "\\TypeLib", KeyRule::Normal, "", "%MODULEGUID%"),
    };
    return entries;
}

// The application identifier is the type library's GUID.
std::map<std::string, OleString> ReplacementValues(const OleString& modulePath) {
    return {
        {"APPID", GuidText(LIBID_NorvaDigitalIDIF)},
        {"FriendlyName", Widen("CZentor Object")},
        {"MODULE", modulePath},
        {"MODULETYPE", Widen("InprocServer32")},
        {"MODULEGUID", GuidText(LIBID_NorvaDigitalIDIF)},
    };
}
