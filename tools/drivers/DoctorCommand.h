// norva-drivers doctor [ROOT]: checks this user's installation (host manifests per
// browser, the extension, the host's answer, the confirmation prompt, the drivers and a
// token) and prints a fix for each failure.
#pragma once

#include "tools/drivers/DriverTool.h"

namespace norva::tool {

constexpr int kProblemsFound = 7; // doctor: at least one check failed

int Doctor(const Arguments& arguments);

} // namespace norva::tool
