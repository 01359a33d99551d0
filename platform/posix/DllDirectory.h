// The folder SetDllDirectory adds to the library search. Like the Windows setting it is one
// per process, although every module links its own copy of this layer: the state lives in
// one exported C object, which the program exports (see CMakeLists.txt) so that the
// libraries it loads bind to the program's copy instead of their own.
#pragma once

#include <string>

namespace norva {

// The folder, or an empty string when none is set.
std::string DllDirectory();

} // namespace norva
