// Formatting: any single PKCS#11 token becomes a token of the service, labelled with
// the company text and holding a fresh holder record that names the formatting time.
#pragma once

#include <ctime>
#include <string>

#include "component/base/ZentorErrors.h"
#include "platform/WinApi.h"

class CTokenAccess;

// Chooses the PKCS#11 driver that sees exactly one token (of any kind), initialises that
// token with `soPassword` and the company label, then writes the initial record. With no
// token ZTNoTokenInserted, with several ZTTooManyTokens, and no token is touched. The
// record write's own outcome is not reported.
TZentorError FormatServiceToken(CTokenAccess& access, BSTR soPassword);

// "DDMMYYYYhhmmss" of a broken-down time.
std::string CreateTimeText(const std::tm& time);
