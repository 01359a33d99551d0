// A service token with a key pair on the simulated PKCS#11 driver (or the simulated hl_*
// device), a CZentor whose upload prompt is a double, and what is needed to check a
// signature against the public key.
#pragma once

#include <string>
#include <vector>

#include "testing/common/Crypto.h"
#include "tests/support/AccessFixture.h"
#include "tests/signing/CPromptDouble.h"

class SigningTest : public AccessTest {
protected:
    SigningTest();
    ~SigningTest() override;

    // tavlink with one service token holding a key pair of `bits`; the driver is chosen on
    // the signer (card type 1).
    void PrepareKeyedToken(unsigned bits);
    // brevo32 with its default card (1024-bit key); the driver is chosen on the signer.
    void PrepareCard();

    // Whether `signature` (hexadecimal text) is the PKCS #1 v1.5 signature of exactly
    // `signedBytes` under the token's (or card's) public key.
    bool Signs(const std::string& signature, const sim::Bytes& signedBytes) const;

    static sim::Bytes BytesOf(const std::string& text) { return {text.begin(), text.end()}; }
    static std::vector<std::string> Split(const std::string& list);
    // A result text, one byte per UTF-16 unit (the component's results are ASCII).
    static std::string ToAnsi(BSTR text);

    CPromptDouble* prompt; // owned by signer
    CZentor signer;
    sim::CRsaKey publicKey; // n and e only
};
