#include <algorithm>
#include <cstring>

#include "testing/tokensim/Operations.h"
#include "testing/tokensim/SessionAccess.h"

namespace tokensim {
namespace {

// PKCS#11 texts are blank-padded to their width, without a terminating zero.
template <size_t N> void Pad(unsigned char (&field)[N], const std::string& text) {
    std::memset(field, ' ', N);
    std::memcpy(field, text.data(), std::min(N, text.size()));
}

struct CMechanismRow {
    CK_MECHANISM_TYPE type;
    CK_ULONG minKey, maxKey;
    CK_FLAGS flags;
};

const CMechanismRow kMechanisms[] = {
    {CKM_RSA_PKCS_KEY_PAIR_GEN, 1024, 2048, CKF_HW | CKF_GENERATE_KEY_PAIR},
    {CKM_RSA_PKCS, 1024, 2048, CKF_HW | CKF_ENCRYPT | CKF_DECRYPT | CKF_SIGN | CKF_VERIFY},
    {CKM_MD5, 0, 0, CKF_DIGEST},
    {CKM_SHA_1, 0, 0, CKF_DIGEST},
    {CKM_SHA256, 0, 0, CKF_DIGEST},
    {CKM_SHA512, 0, 0, CKF_DIGEST},
};

CK_FLAGS TokenFlags(const CCall& call, const CToken& token) {
    const int limit = call.state.maxPinFailures;
    CK_FLAGS flags = CKF_RNG | CKF_LOGIN_REQUIRED;
    if (token.initialized)
        flags |= CKF_TOKEN_INITIALIZED;
    if (token.userPinInitialized)
        flags |= CKF_USER_PIN_INITIALIZED;
    if (token.userPinExpired)
        flags |= CKF_USER_PIN_TO_BE_CHANGED;
    if (token.soPinExpired)
        flags |= CKF_SO_PIN_TO_BE_CHANGED;
    if (token.userPinFailures > 0)
        flags |= CKF_USER_PIN_COUNT_LOW;
    if (token.userPinFailures == limit - 1)
        flags |= CKF_USER_PIN_FINAL_TRY;
    if (token.userPinFailures >= limit)
        flags |= CKF_USER_PIN_LOCKED;
    if (token.soPinFailures > 0)
        flags |= CKF_SO_PIN_COUNT_LOW;
    if (token.soPinFailures == limit - 1)
        flags |= CKF_SO_PIN_FINAL_TRY;
    if (token.soPinFailures >= limit)
        flags |= CKF_SO_PIN_LOCKED;
    return flags;
}

CK_ULONG SessionCount(const CCall& call, const std::string& serial, bool readWriteOnly) {
    CK_ULONG count = 0;
    for (const auto& [handle, session] : call.runtime.sessions)
        if (session.serial == serial && (!readWriteOnly || (session.flags & CKF_RW_SESSION)))
            ++count;
    return count;
}

} // namespace

CK_RV GetInfo(CCall&, CK_INFO_PTR info) {
    if (!info)
        return CKR_ARGUMENTS_BAD;
    std::memset(info, 0, sizeof *info);
    info->cryptokiVersion = {2, 40};
    Pad(info->manufacturerID, "Norva test tools");
    Pad(info->libraryDescription, "Simulated PKCS#11 token");
    info->libraryVersion = {1, 0};
    return CKR_OK;
}

CK_RV GetSlotList(CCall& call, CK_BBOOL tokenPresent, CK_SLOT_ID_PTR list, CK_ULONG_PTR count) {
    if (!count)
        return CKR_ARGUMENTS_BAD;
    std::vector<CK_SLOT_ID> slots;
    for (const auto& reader : call.state.readers)
        if (!tokenPresent || reader.present)
            slots.push_back(reader.slot);
    call.Arg("available", slots.size());
    if (!list) {
        *count = slots.size();
        return CKR_OK;
    }
    const CK_ULONG room = *count;
    *count = slots.size();
    if (room < slots.size())
        return CKR_BUFFER_TOO_SMALL;
    std::copy(slots.begin(), slots.end(), list);
    return CKR_OK;
}

CK_RV GetSlotInfo(CCall& call, CK_SLOT_ID slot, CK_SLOT_INFO_PTR info) {
    if (!info)
        return CKR_ARGUMENTS_BAD;
    const CReader* reader = call.state.FindReader(slot);
    if (!reader)
        return CKR_SLOT_ID_INVALID;
    std::memset(info, 0, sizeof *info);
    Pad(info->slotDescription, reader->description);
    Pad(info->manufacturerID, "Norva test tools");
    info->flags = CKF_REMOVABLE_DEVICE | (reader->hardware ? CKF_HW_SLOT : 0) |
                  (reader->present ? CKF_TOKEN_PRESENT : 0);
    info->hardwareVersion = {1, 0};
    info->firmwareVersion = {1, 0};
    return CKR_OK;
}

CK_RV GetTokenInfo(CCall& call, CK_SLOT_ID slot, CK_TOKEN_INFO_PTR info) {
    if (!info)
        return CKR_ARGUMENTS_BAD;
    CToken* token = nullptr;
    if (const CK_RV rv = GetPresentToken(call, slot, token))
        return rv;
    if (call.state.FindReader(slot)->tokenInfoFails)
        return CKR_TOKEN_NOT_RECOGNIZED;
    std::memset(info, 0, sizeof *info);
    Pad(info->label, token->label);
    Pad(info->manufacturerID, "Norva test tools");
    Pad(info->model, "TokenSim");
    Pad(info->serialNumber, token->serial);
    info->flags = TokenFlags(call, *token);
    info->ulMaxSessionCount = CK_EFFECTIVELY_INFINITE;
    info->ulSessionCount = SessionCount(call, token->serial, false);
    info->ulMaxRwSessionCount = CK_EFFECTIVELY_INFINITE;
    info->ulRwSessionCount = SessionCount(call, token->serial, true);
    info->ulMaxPinLen = 32;
    info->ulMinPinLen = 4;
    info->ulTotalPublicMemory = CK_UNAVAILABLE_INFORMATION;
    info->ulFreePublicMemory = CK_UNAVAILABLE_INFORMATION;
    info->ulTotalPrivateMemory = CK_UNAVAILABLE_INFORMATION;
    info->ulFreePrivateMemory = CK_UNAVAILABLE_INFORMATION;
    info->hardwareVersion = {1, 0};
    info->firmwareVersion = {1, 0};
    Pad(info->utcTime, "");
    return CKR_OK;
}

CK_RV GetMechanismList(CCall& call, CK_SLOT_ID slot, CK_MECHANISM_TYPE_PTR list,
                       CK_ULONG_PTR count) {
    CToken* token = nullptr;
    if (!count)
        return CKR_ARGUMENTS_BAD;
    if (const CK_RV rv = GetPresentToken(call, slot, token))
        return rv;
    const CK_ULONG total = sizeof kMechanisms / sizeof kMechanisms[0];
    const CK_ULONG room = *count;
    *count = total;
    if (!list)
        return CKR_OK;
    if (room < total)
        return CKR_BUFFER_TOO_SMALL;
    for (CK_ULONG i = 0; i < total; ++i)
        list[i] = kMechanisms[i].type;
    return CKR_OK;
}

CK_RV GetMechanismInfo(CCall& call, CK_SLOT_ID slot, CK_MECHANISM_TYPE type,
                       CK_MECHANISM_INFO_PTR info) {
    CToken* token = nullptr;
    if (!info)
        return CKR_ARGUMENTS_BAD;
    if (const CK_RV rv = GetPresentToken(call, slot, token))
        return rv;
    for (const auto& row : kMechanisms)
        if (row.type == type) {
            *info = CK_MECHANISM_INFO{row.minKey, row.maxKey, row.flags};
            return CKR_OK;
        }
    return CKR_MECHANISM_INVALID;
}

} // namespace tokensim
