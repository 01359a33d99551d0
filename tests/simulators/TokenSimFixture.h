// Loads the token simulator under a driver's name into the test process and drives it
// through its function list, as the component does.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "component/access/drivers/Pkcs11.h"
#include "testing/support/SimFixture.h"

class TokenSimTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads (again) the installed library and initialises it.
    void Load();
    void Unload();

    CK_SLOT_ID FirstSlot();
    CK_SESSION_HANDLE Open(CK_FLAGS flags = CKF_SERIAL_SESSION | CKF_RW_SESSION);
    CK_RV Login(CK_SESSION_HANDLE session, CK_USER_TYPE user, const std::string& pin);
    // Initialised token with SO PIN "87654321" and user PIN "1234"; returns its slot.
    CK_SLOT_ID ReadyToken();
    // A user session on a ready token.
    CK_SESSION_HANDLE UserSession();

    // Objects matching the template (searched in `session`).
    std::vector<CK_OBJECT_HANDLE> Find(CK_SESSION_HANDLE session,
                                       std::vector<CK_ATTRIBUTE> attributes);
    sim::Bytes Attribute(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object,
                         CK_ATTRIBUTE_TYPE type);
    CK_OBJECT_HANDLE CreateData(CK_SESSION_HANDLE session, const std::string& label,
                                const sim::Bytes& value, bool isPrivate);
    // Generates an RSA pair; returns CKR and the two handles.
    CK_RV GenerateKeys(CK_SESSION_HANDLE session, CK_ULONG bits, CK_OBJECT_HANDLE& publicKey,
                       CK_OBJECT_HANDLE& privateKey);

    sim::CSimFixture sims;
    std::string path;
    std::unique_ptr<sim::CLoadedLibrary> library;
    CK_FUNCTION_LIST* p11 = nullptr;

    static constexpr CK_BBOOL kTrue = CK_TRUE;
    static constexpr CK_BBOOL kFalse = CK_FALSE;
};

// A buffer's length as PKCS#11 counts it (CK_ULONG is 32 bits on Windows).
inline CK_ULONG Len(const sim::Bytes& bytes) {
    return static_cast<CK_ULONG>(bytes.size());
}

// Text as token bytes, optionally with its terminating zero byte.
sim::Bytes TextBytes(const std::string& text, bool withZero = false);
