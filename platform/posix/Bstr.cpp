// BSTR: a 32-bit byte count, then the text, then a terminating zero character. The pointer
// handed out points at the text, just after the count.
#include "platform/WinApi.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

typedef uint32_t ByteCount;

// Room for the count, the bytes, and a zero character even when the byte count is odd.
BSTR AllocateBytes(UINT byteCount) {
    const size_t total = sizeof(ByteCount) + size_t{byteCount} + 2 * sizeof(OLECHAR);
    if (byteCount > std::numeric_limits<ByteCount>::max() - 2 * sizeof(OLECHAR) - 4) {
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::malloc(total));
    if (block == nullptr) {
        return nullptr;
    }
    const ByteCount count = byteCount;
    std::memcpy(block, &count, sizeof(count));
    std::memset(block + sizeof(count) + byteCount, 0, 2 * sizeof(OLECHAR));
    return reinterpret_cast<BSTR>(block + sizeof(count));
}

unsigned char* BlockOf(BSTR bstr) {
    return reinterpret_cast<unsigned char*>(bstr) - sizeof(ByteCount);
}

size_t LengthOf(const OLECHAR* psz) {
    size_t length = 0;
    while (psz[length] != 0) {
        ++length;
    }
    return length;
}

} // namespace

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) {
    BSTR bstr = AllocateBytes(len);
    if (bstr == nullptr) {
        return nullptr;
    }
    if (psz != nullptr) {
        std::memcpy(bstr, psz, len);
    } else {
        std::memset(bstr, 0, len);
    }
    return bstr;
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    if (ui > std::numeric_limits<UINT>::max() / sizeof(OLECHAR)) {
        return nullptr;
    }
    return SysAllocStringByteLen(reinterpret_cast<LPCSTR>(strIn), ui * sizeof(OLECHAR));
}

BSTR SysAllocString(const OLECHAR* psz) {
    if (psz == nullptr) {
        return nullptr;
    }
    return SysAllocStringLen(psz, static_cast<UINT>(LengthOf(psz)));
}

INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
    if (pbstr == nullptr) {
        return FALSE;
    }
    // The source may lie inside the old string, so the new one is made first.
    BSTR replacement = SysAllocStringLen(psz, len);
    if (replacement == nullptr) {
        return FALSE;
    }
    SysFreeString(*pbstr);
    *pbstr = replacement;
    return TRUE;
}

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
    if (pbstr == nullptr) {
        return FALSE;
    }
    if (psz == nullptr) {
        SysFreeString(*pbstr);
        *pbstr = nullptr;
        return TRUE;
    }
    return SysReAllocStringLen(pbstr, psz, static_cast<UINT>(LengthOf(psz)));
}

void SysFreeString(BSTR bstrString) {
    if (bstrString != nullptr) {
        std::free(BlockOf(bstrString));
    }
}

UINT SysStringByteLen(BSTR bstr) {
    if (bstr == nullptr) {
        return 0;
    }
    ByteCount count = 0;
    std::memcpy(&count, BlockOf(bstr), sizeof(count));
    return count;
}

UINT SysStringLen(BSTR pbstr) {
    return SysStringByteLen(pbstr) / sizeof(OLECHAR);
}
