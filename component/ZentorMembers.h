// The members that late-bound callers reach by name, each listed once with its dispatch
// identifier and kind. Identifiers 2 and 3 are not assigned.
#pragma once

#include <iterator>

#include "platform/WinApi.h"

enum class MemberKind {
    Method,
    ReadOnly,  // a property with a get only
    ReadWrite, // a property with a get and a put
};

// name, dispatch identifier, kind
#define NORVA_ZENTOR_MEMBERS(X)                                                                    \
    X(FormatToken, 1, Method)                                                                      \
    X(ChangePIN, 4, Method)                                                                        \
    X(InitPIN, 5, Method)                                                                          \
    X(GenerateKeys, 6, Method)                                                                     \
    X(SignFile, 7, Method)                                                                         \
    X(SignData, 8, Method)                                                                         \
    X(FirstName, 9, ReadWrite)                                                                     \
    X(LastName, 10, ReadWrite)                                                                     \
    X(Company, 11, ReadWrite)                                                                      \
    X(UserID, 12, ReadWrite)                                                                       \
    X(CreateTime, 13, ReadOnly)                                                                    \
    X(UserCode, 14, ReadWrite)                                                                     \
    X(LastZTError, 15, ReadOnly)                                                                   \
    X(PublicKey, 16, ReadOnly)                                                                     \
    X(TokensCount, 17, ReadOnly)                                                                   \
    X(NorvaEFTTokensCount, 18, ReadOnly)                                                           \
    X(DriversInstalled, 19, ReadOnly)                                                              \
    X(PKCS11Error, 20, ReadOnly)                                                                   \
    X(CardType, 21, ReadWrite)                                                                     \
    X(DecryptAndSignData, 22, Method)                                                              \
    X(SignFileCanceled, 23, ReadOnly)                                                              \
    X(SignFileData, 24, Method)                                                                    \
    X(GenerateKeysCustom, 25, Method)                                                              \
    X(FullFormatToken, 26, Method)

// kDispIdFormatToken and so on.
enum ZentorDispId : DISPID {
#define NORVA_DISPID_ENTRY(name, id, kind) kDispId##name = id,
    NORVA_ZENTOR_MEMBERS(NORVA_DISPID_ENTRY)
#undef NORVA_DISPID_ENTRY
};

struct ZentorMember {
    const char* name;
    DISPID id;
    MemberKind kind;
};

inline constexpr ZentorMember kZentorMembers[] = {
#define NORVA_MEMBER_ENTRY(name, id, kind) {#name, id, MemberKind::kind},
    NORVA_ZENTOR_MEMBERS(NORVA_MEMBER_ENTRY)
#undef NORVA_MEMBER_ENTRY
};
static_assert(std::size(kZentorMembers) == 24);
