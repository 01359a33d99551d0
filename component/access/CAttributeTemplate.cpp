#include "component/access/CAttributeTemplate.h"

#include <algorithm>
#include <cstring>

#include "component/access/AnsiText.h"

bool CAttributeTemplate::AddULong(CK_ATTRIBUTE_TYPE type, CK_ULONG value) {
    auto cell = std::make_unique<CK_BYTE[]>(sizeof value);
    std::memcpy(cell.get(), &value, sizeof value);
    return AddOwned(type, std::move(cell), sizeof value);
}

bool CAttributeTemplate::AddBool(CK_ATTRIBUTE_TYPE type, bool value) {
    // A CK_BBOOL in the low byte of a zeroed 4-byte cell.
    auto cell = std::make_unique<CK_BYTE[]>(4);
    cell[0] = value ? CK_TRUE : CK_FALSE;
    return AddOwned(type, std::move(cell), sizeof(CK_BBOOL));
}

bool CAttributeTemplate::AddText(CK_ATTRIBUTE_TYPE type, BSTR text) {
    const std::string ansi = ToAnsiText(text, CP_THREAD_ACP);
    const CK_ULONG length = Utf16Length(text) + 1;
    // Zero-filled to at least the stated length, so the driver never reads past it
    // whatever the converter produced.
    const size_t size = std::max<size_t>(length, ansi.size() + 1);
    auto value = std::make_unique<CK_BYTE[]>(size);
    std::copy_n(ansi.data(), std::min<size_t>(ansi.size(), length - 1), value.get());
    return AddOwned(type, std::move(value), length);
}

bool CAttributeTemplate::AddText(CK_ATTRIBUTE_TYPE type, std::string_view ansi) {
    const CK_ULONG length = static_cast<CK_ULONG>(ansi.size()) + 1;
    auto value = std::make_unique<CK_BYTE[]>(length);
    std::copy_n(ansi.data(), ansi.size(), value.get());
    return AddOwned(type, std::move(value), length);
}

bool CAttributeTemplate::AddBuffer(CK_ATTRIBUTE_TYPE type, void* data, CK_ULONG length) {
    if (count == kCapacity) {
        return false;
    }
    attributes[count] = CK_ATTRIBUTE{type, data, length};
    ++count;
    return true;
}

bool CAttributeTemplate::AddOwned(CK_ATTRIBUTE_TYPE type, std::unique_ptr<CK_BYTE[]> value,
                                  CK_ULONG length) {
    if (!AddBuffer(type, value.get(), length)) {
        return false;
    }
    owned[count - 1] = std::move(value);
    return true;
}

CK_ATTRIBUTE CAttributeTemplate::Item(CK_ULONG index) const {
    return index < count ? attributes[index] : CK_ATTRIBUTE{};
}
