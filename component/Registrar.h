// Applies registry entries with their replacement tokens: registration writes every key
// and REG_SZ value, unregistration removes what the keep rules allow.
#pragma once

#include <map>

#include "component/OleString.h"
#include "component/RegistryEntry.h"

class Registrar {
public:
    // Token names without their percent signs ("MODULE" for "%MODULE%").
    explicit Registrar(std::map<std::string, OleString> replacements);

    HRESULT Register(const RegistryEntries& entries) const;
    HRESULT Unregister(const RegistryEntries& entries) const;

    // Replaces every "%NAME%" token; "%%" stands for one percent sign. An unknown or
    // unterminated token fails.
    bool Expand(const std::string& text, OleString& out) const;

private:
    HRESULT Write(const RegistryEntry& entry, const OleString& key) const;

    std::map<std::string, OleString> replacements;
};
