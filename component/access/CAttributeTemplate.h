// Builder of PKCS#11 attribute templates. Numbers, booleans and texts are copied into
// memory the template owns; buffers stay the caller's. A text value carries its
// terminating zero byte in its length, both when objects are created and searched.
#pragma once

#include <memory>
#include <string_view>

#include "component/access/drivers/Pkcs11.h"
#include "platform/WinApi.h"

class CAttributeTemplate {
public:
    static constexpr CK_ULONG kCapacity = 40;

    CAttributeTemplate() = default;
    CAttributeTemplate(const CAttributeTemplate&) = delete;
    CAttributeTemplate& operator=(const CAttributeTemplate&) = delete;

    // Each returns false, adding nothing, once the template holds kCapacity entries.
    bool AddULong(CK_ATTRIBUTE_TYPE type, CK_ULONG value);
    bool AddBool(CK_ATTRIBUTE_TYPE type, bool value);
    // The BSTR in the calling thread's ANSI code page plus a zero byte; its length is the
    // number of UTF-16 units plus 1. A null BSTR is the empty text (length 1).
    bool AddText(CK_ATTRIBUTE_TYPE type, BSTR text);
    // A text the component already holds in the ANSI code page, plus a zero byte.
    bool AddText(CK_ATTRIBUTE_TYPE type, std::string_view ansi);
    // Not copied: the memory must outlive the template's use.
    bool AddBuffer(CK_ATTRIBUTE_TYPE type, void* data, CK_ULONG length);

    CK_ULONG Count() const { return count; }

    // The entries in insertion order, contiguous; valid while the template lives. A
    // driver may update the lengths in place.
    CK_ATTRIBUTE* Build() { return attributes; }

    // An entry as it stands now (an empty one outside the template).
    CK_ATTRIBUTE Item(CK_ULONG index) const;

private:
    bool AddOwned(CK_ATTRIBUTE_TYPE type, std::unique_ptr<CK_BYTE[]> value, CK_ULONG length);

    CK_ATTRIBUTE attributes[kCapacity] = {};
    std::unique_ptr<CK_BYTE[]> owned[kCapacity];
    CK_ULONG count = 0;
};
