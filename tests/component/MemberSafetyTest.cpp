// What never crosses the interface: an allocation failure inside a member comes back as
// E_OUTOFMEMORY and leaves the object usable. Also the class-only slot after the 30
// interface members.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "component/CZentor.h"

namespace {

// While set, every allocation of the program fails.
bool failAllocations = false;

class FailingAllocations {
public:
    FailingAllocations() { failAllocations = true; }
    ~FailingAllocations() { failAllocations = false; }
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};

TEST(MemberSafety, AllocationFailureInsideAMemberIsOutOfMemory) {
    CZentor zentor;
    LONG count = -1;
    VARIANT_BOOL installed = -1;
    {
        const FailingAllocations failing;
        EXPECT_EQ(zentor.put_CardType(1), E_OUTOFMEMORY);
        EXPECT_EQ(zentor.get_TokensCount(&count), E_OUTOFMEMORY);
        EXPECT_EQ(zentor.get_NorvaEFTTokensCount(&count), E_OUTOFMEMORY);
        EXPECT_EQ(zentor.get_DriversInstalled(&installed), E_OUTOFMEMORY);
    }
    LONG cardType = -1;
    EXPECT_EQ(zentor.get_CardType(&cardType), S_OK);
    EXPECT_EQ(cardType, 0);
    EXPECT_EQ(zentor.put_CardType(1), S_OK);
    EXPECT_EQ(zentor.get_CardType(&cardType), S_OK);
    EXPECT_EQ(cardType, 1);
}

// QueryInterface, AddRef, Release, four IDispatch members, then the 30 of IZentor.
constexpr size_t kSignDataExSlot = 3 + 4 + 30;

TEST(MemberSafety, SignDataExFollowsTheThirtyInterfaceMembers) {
    auto* zentor = new CZentor();
    IZentor* primary = zentor;
    primary->AddRef();
    using SignDataExEntry =
        HRESULT(STDMETHODCALLTYPE*)(IZentor*, BSTR, VARIANT, VARIANT_BOOL, BSTR*, bool);
    void** table = *reinterpret_cast<void***>(primary);
    const auto entry = reinterpret_cast<SignDataExEntry>(table[kSignDataExSlot]);
    VARIANT data;
    VariantInit(&data);
    BSTR signature = nullptr;
    // Reached through its slot, the body answers as SignDataEx does (the object lives on).
    const HRESULT direct = zentor->SignDataEx(nullptr, data, 0, &signature, false);
    SysFreeString(signature);
    signature = nullptr;
    EXPECT_EQ(entry(primary, nullptr, data, 0, &signature, false), direct);
    ASSERT_NE(signature, nullptr);
    EXPECT_EQ(SysStringLen(signature), 0u);
    SysFreeString(signature);
    primary->Release();
}

} // namespace

// The program's allocator, with memory from malloc and back to free.
void* operator new(std::size_t size) {
    if (failAllocations) {
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
#pragma GCC diagnostic pop
