// Whether this platform has a type-library loader. Windows loads, registers and reads
// type libraries; on POSIX there is none, so there is nothing to register or read.
#pragma once

#if defined(_WIN32)
inline constexpr bool kTypeLibrariesAvailable = true;
#else
inline constexpr bool kTypeLibrariesAvailable = false;
#endif
