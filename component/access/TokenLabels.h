// How a slot or token is recognised from the fixed-width, blank-padded texts that a
// PKCS#11 driver reports. A driver may fill a field without any NUL, so a text is
// taken only from the first bytes of its field and stops at the first NUL there.
#pragma once

#include <string_view>

#include "component/access/drivers/Pkcs11.h"

// The service's company text, stored on a formatted token as its label.
inline constexpr char kCompanyLabel[] = "Trellmoor                       ";
static_assert(sizeof(kCompanyLabel) == 33);

// A service token: the label, up to its first NUL within its first 31 bytes and trimmed
// of leading and trailing blanks, equals the company text trimmed the same way.
bool IsNorvaLabel(const CK_TOKEN_INFO& info);

// A reader whose token information may fail to read while a token is in it: its
// description, up to its first NUL within its first 63 bytes, contains "Pendrel".
bool IsPendrelReader(const CK_SLOT_INFO& info);

// Text of a fixed-width field: at most `limit` bytes, up to the first NUL.
std::string_view FieldText(const unsigned char* field, size_t limit);

// The text without leading and trailing space characters (other white space stays).
std::string_view TrimBlanks(std::string_view text);
