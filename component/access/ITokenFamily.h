// What differs between the two driver families, behind one interface: the PKCS#11
// libraries (card types 1 and 3) and the hl_* device library (card type 2). A family is
// stateless; it works through the CTokenAccess it is given, whose driver is of that
// family. Operations that act differently per family add a member here and one to each
// implementation, instead of testing the card type.
#pragma once

#include "component/base/ZentorErrors.h"
#include "component/access/AccessChoices.h"
#include "component/access/drivers/Pkcs11.h"
#include "platform/WinApi.h"

class CTokenAccess;

class ITokenFamily {
public:
    virtual ~ITokenFamily() = default;

    // The tokens the current driver sees (CTokenAccess::CountTokens with a driver).
    virtual LONG CountTokens(CTokenAccess& access, TokenScope scope, Fallback fallback,
                             Families families) const = 0;
    // The login of the family once the token is selected (slot: the selected slot).
    virtual TZentorError LogIn(CTokenAccess& access, CK_SLOT_ID slot, CK_USER_TYPE userType,
                               BSTR pin, LoginDepth depth) const = 0;
    // Closes what the family keeps open for a login; CTokenAccess then forgets it.
    virtual void EndSession(CTokenAccess& access) const = 0;
};

const ITokenFamily& Pkcs11Family();
const ITokenFamily& HlFamily();
