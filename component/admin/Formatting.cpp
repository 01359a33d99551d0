#include "component/admin/Formatting.h"

#include <algorithm>
#include <cstdio>

#include "component/access/AnsiText.h"
#include "component/access/CTokenAccess.h"
#include "component/access/TokenLabels.h"
#include "component/admin/HolderRecord.h"

namespace {

// The clock now, broken down in local time.
std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    // The component runs on its apartment's one thread; the shared result is copied at once.
    const std::tm* local = std::localtime(&now);
    return local != nullptr ? *local : std::tm{};
}

TZentorError InitialiseToken(CTokenAccess& access, BSTR soPassword) {
    const LONG tokens = access.AutoDetectDriver(TokenScope::Any, Families::Pkcs11Only);
    if (tokens == 0) {
        return ZTNoTokenInserted;
    }
    if (tokens > 1) {
        return ZTTooManyTokens;
    }
    CK_SLOT_ID slot = 0;
    const TZentorError selected = access.SelectToken(TokenScope::Any, slot, Families::Pkcs11Only);
    if (selected != ZTNoError) {
        return selected;
    }
    // The label is about to change: the next count must look at the slots again.
    CTokenDriver& driver = access.Driver();
    driver.ForgetSlots();
    driver.CallUnrecorded(&Pkcs11Table::C_CloseAllSessions, slot);
    std::string password = PinText(soPassword);
    CK_UTF8CHAR label[sizeof kCompanyLabel - 1];
    std::copy(kCompanyLabel, kCompanyLabel + sizeof label, label);
    const CK_RV rv = driver.Call(&Pkcs11Table::C_InitToken, slot,
                                 reinterpret_cast<CK_UTF8CHAR*>(password.data()),
                                 CK_ULONG{Utf16Length(soPassword)}, label);
    if (rv != CKR_OK) {
        return ZTInitTokenFailed;
    }
    driver.ForgetSlots();
    return ZTNoError;
}

} // namespace

std::string CreateTimeText(const std::tm& time) {
    char text[32] = {};
    std::snprintf(text, sizeof text, "%02d%02d%04d%02d%02d%02d", time.tm_mday, time.tm_mon + 1,
                  time.tm_year + 1900, time.tm_hour, time.tm_min, time.tm_sec);
    return text;
}

TZentorError FormatServiceToken(CTokenAccess& access, BSTR soPassword) {
    TZentorError result = ZTNoError;
    {
        const CTokenAccess::CSessionScope scope(access, SessionStart::Fresh);
        result = InitialiseToken(access, soPassword);
    }
    if (result == ZTNoError) {
        const CTokenAccess::CSessionScope scope(access);
        UserRecord record = {};
        SetFieldText(record, kCreateTimeField, CreateTimeText(LocalTimeNow()));
        WriteUserRecord(access, record); // the token is formatted whatever this answers
    }
    return result;
}
