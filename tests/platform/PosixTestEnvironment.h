// The POSIX tests keep the registry store in a private folder, never in the user's own.
#pragma once

#include <string>

namespace norva::test {

// Points XDG_CONFIG_HOME at a new empty folder and returns it.
std::string UseFreshConfigHome();

} // namespace norva::test
