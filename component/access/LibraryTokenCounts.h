// The token counts that automatic driver choice gathers, one per library. A token can be
// reachable through more than one library (the device library and a PKCS#11 library
// for the same card, or both PKCS#11 libraries for one token), so the counts overlap.
#pragma once

#include "platform/WinApi.h"

struct LibraryTokenCounts {
    LONG brevo = 0;
    LONG tavlink = 0;
    LONG etPkcs11 = 0;

    // Takes the tokens a library shares with an earlier one out of its count: the device
    // library's from each PKCS#11 library that sees at least as many, then tavlink's from
    // eTpkcs11 likewise.
    void RemoveShared();

    LONG Total() const { return brevo + tavlink + etPkcs11; }

    // The card type of the one library whose count is 1, testing brevo32, tavlink and
    // eTpkcs11 in that order; meaningful when the total is 1.
    LONG OnlyCardType() const;
};
