// The POSIX tests keep the registry store in a private folder, never in the user's own.
#pragma once

#include <string>

namespace norva::test {

// Points XDG_CONFIG_HOME at a new empty folder and returns it; the system-wide store
// (XDG_CONFIG_DIRS) moves to the folder's name with "-system" added.
std::string UseFreshConfigHome();

} // namespace norva::test
