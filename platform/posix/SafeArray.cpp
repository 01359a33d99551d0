// SAFEARRAY: a descriptor with the bounds stored last dimension first (as Windows keeps them),
// preceded by a hidden word holding the element type, and a separate block of elements.
#include "platform/WinApi.h"

#include "platform/posix/VariantTypes.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// The element type lives in the four bytes before the descriptor, as on Windows; the
// prefix is sixteen bytes so that the descriptor stays aligned.
constexpr size_t kPrefixSize = 16;

struct ElementKind {
    VARTYPE vt;
    USHORT feature;
};

constexpr ElementKind kFeatures[] = {
    {VT_BSTR, FADF_BSTR},
    {VT_UNKNOWN, FADF_UNKNOWN},
    {VT_DISPATCH, FADF_DISPATCH},
    {VT_VARIANT, FADF_VARIANT},
};

USHORT FeatureOf(VARTYPE vt) {
    for (const ElementKind& kind : kFeatures) {
        if (kind.vt == vt) {
            return kind.feature;
        }
    }
    return 0;
}

bool IsElementType(VARTYPE vt) {
    return vt != VT_EMPTY && vt != VT_NULL && norva::VariantValueSize(vt) != 0;
}

unsigned char* PrefixOf(SAFEARRAY* psa) {
    return reinterpret_cast<unsigned char*>(psa) - kPrefixSize;
}

VARTYPE StoredType(SAFEARRAY* psa) {
    DWORD vt = 0;
    std::memcpy(&vt, reinterpret_cast<unsigned char*>(psa) - sizeof(DWORD), sizeof(vt));
    return static_cast<VARTYPE>(vt);
}

size_t DescriptorSize(UINT cDims) {
    return sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
}

// Number of elements, or false when it does not fit in memory.
bool CountElements(SAFEARRAY* psa, size_t& count) {
    count = 1;
    for (USHORT i = 0; i < psa->cDims; ++i) {
        const size_t n = psa->rgsabound[i].cElements;
        if (n != 0 && count > std::numeric_limits<size_t>::max() / n) {
            return false;
        }
        count *= n;
    }
    return count <= std::numeric_limits<size_t>::max() / psa->cbElements;
}

SAFEARRAY* AllocateDescriptor(VARTYPE vt, UINT cDims) {
    auto* block = static_cast<unsigned char*>(std::calloc(1, kPrefixSize + DescriptorSize(cDims)));
    if (block == nullptr) {
        return nullptr;
    }
    auto* psa = reinterpret_cast<SAFEARRAY*>(block + kPrefixSize);
    const DWORD storedType = vt;
    std::memcpy(block + kPrefixSize - sizeof(DWORD), &storedType, sizeof(storedType));
    psa->cDims = static_cast<USHORT>(cDims);
    psa->fFeatures = FADF_HAVEVARTYPE | FeatureOf(vt);
    psa->cbElements = static_cast<ULONG>(norva::VariantValueSize(vt));
    return psa;
}

void FreeDescriptor(SAFEARRAY* psa) {
    std::free(PrefixOf(psa));
}

bool AllocateData(SAFEARRAY* psa) {
    size_t count = 0;
    if (!CountElements(psa, count)) {
        return false;
    }
    psa->pvData = std::calloc(count == 0 ? 1 : count, psa->cbElements);
    return psa->pvData != nullptr;
}

void ReleaseElements(SAFEARRAY* psa, size_t count) {
    auto* data = static_cast<unsigned char*>(psa->pvData);
    for (size_t i = 0; i < count; ++i) {
        void* element = data + i * psa->cbElements;
        if ((psa->fFeatures & FADF_BSTR) != 0) {
            SysFreeString(*static_cast<BSTR*>(element));
        } else if ((psa->fFeatures & FADF_VARIANT) != 0) {
            VariantClear(static_cast<VARIANT*>(element));
        } else if ((psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) != 0) {
            if (IUnknown* unknown = *static_cast<IUnknown**>(element)) {
                unknown->Release();
            }
        }
    }
}

// Deep copy of count elements from src into dst, whose data block is zeroed: on a failure
// the elements not yet copied stay empty, so dst can be destroyed safely.
HRESULT CopyElements(SAFEARRAY* src, SAFEARRAY* dst, size_t count) {
    if ((src->fFeatures & (FADF_BSTR | FADF_VARIANT | FADF_UNKNOWN | FADF_DISPATCH)) == 0) {
        std::memcpy(dst->pvData, src->pvData, count * src->cbElements);
        return S_OK;
    }
    for (size_t i = 0; i < count; ++i) {
        if ((src->fFeatures & FADF_BSTR) != 0) {
            const BSTR text = static_cast<BSTR*>(src->pvData)[i];
            if (text == nullptr) {
                continue;
            }
            BSTR& copy = static_cast<BSTR*>(dst->pvData)[i];
            copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
            if (copy == nullptr) {
                return E_OUTOFMEMORY;
            }
        } else if ((src->fFeatures & FADF_VARIANT) != 0) {
            const HRESULT hr = VariantCopy(static_cast<VARIANT*>(dst->pvData) + i,
                                           static_cast<VARIANT*>(src->pvData) + i);
            if (FAILED(hr)) {
                return hr;
            }
        } else if (IUnknown* unknown = static_cast<IUnknown**>(src->pvData)[i]) {
            unknown->AddRef();
            static_cast<IUnknown**>(dst->pvData)[i] = unknown;
        }
    }
    return S_OK;
}

} // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
    if (cDims == 0 || cDims > 0xFFFF || rgsabound == nullptr || !IsElementType(vt)) {
        return nullptr;
    }
    SAFEARRAY* psa = AllocateDescriptor(vt, cDims);
    if (psa == nullptr) {
        return nullptr;
    }
    for (UINT i = 0; i < cDims; ++i) {
        psa->rgsabound[i] = rgsabound[cDims - 1 - i];
    }
    if (!AllocateData(psa)) {
        FreeDescriptor(psa);
        return nullptr;
    }
    return psa;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
    SAFEARRAYBOUND bound{cElements, lLbound};
    return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
    if (psa == nullptr) {
        return S_OK;
    }
    if (psa->cLocks > 0) {
        return DISP_E_ARRAYISLOCKED;
    }
    size_t count = 0;
    if (psa->pvData != nullptr && CountElements(psa, count)) {
        ReleaseElements(psa, count);
    }
    std::free(psa->pvData);
    FreeDescriptor(psa);
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) {
    return psa != nullptr ? psa->cDims : 0;
}

UINT SafeArrayGetElemsize(SAFEARRAY* psa) {
    return psa != nullptr ? psa->cbElements : 0;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
    if (psa == nullptr || plLbound == nullptr) {
        return E_INVALIDARG;
    }
    if (nDim == 0 || nDim > psa->cDims) {
        return DISP_E_BADINDEX;
    }
    *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
    if (psa == nullptr || plUbound == nullptr) {
        return E_INVALIDARG;
    }
    if (nDim == 0 || nDim > psa->cDims) {
        return DISP_E_BADINDEX;
    }
    const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - nDim];
    *plUbound = static_cast<LONG>(static_cast<int64_t>(bound.lLbound) + bound.cElements - 1);
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
    if (psa == nullptr) {
        return E_INVALIDARG;
    }
    if (psa->cLocks == std::numeric_limits<ULONG>::max()) {
        return E_UNEXPECTED;
    }
    ++psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
    if (psa == nullptr) {
        return E_INVALIDARG;
    }
    if (psa->cLocks == 0) {
        return E_UNEXPECTED;
    }
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
    if (psa == nullptr || ppvData == nullptr) {
        return E_INVALIDARG;
    }
    const HRESULT hr = SafeArrayLock(psa);
    *ppvData = SUCCEEDED(hr) ? psa->pvData : nullptr;
    return hr;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) {
    return SafeArrayUnlock(psa);
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
    if (psa == nullptr || pvt == nullptr) {
        return E_INVALIDARG;
    }
    if ((psa->fFeatures & FADF_HAVEVARTYPE) == 0) {
        return E_INVALIDARG;
    }
    *pvt = StoredType(psa);
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
    if (ppsaOut == nullptr) {
        return E_INVALIDARG;
    }
    *ppsaOut = nullptr;
    if (psa == nullptr) {
        return S_OK;
    }
    SAFEARRAY* copy = AllocateDescriptor(StoredType(psa), psa->cDims);
    if (copy == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(copy->rgsabound, psa->rgsabound, psa->cDims * sizeof(SAFEARRAYBOUND));
    size_t count = 0;
    if (!AllocateData(copy) || !CountElements(psa, count)) {
        SafeArrayDestroy(copy);
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = CopyElements(psa, copy, count);
    if (FAILED(hr)) {
        SafeArrayDestroy(copy);
        return hr;
    }
    *ppsaOut = copy;
    return S_OK;
}
