// What the simulators need from the operating system and that differs between Windows
// and POSIX; posix/ and win32/ hold the two implementations.
#pragma once

#include <string>

namespace sim {

// An exclusive lock on a file, held until the object is destroyed. Blocks until the
// lock is granted; other processes and other objects of this process wait for it.
class CFileLock {
public:
    explicit CFileLock(const std::string& path);
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

private:
    void* m_handle;
};

// Replaces `to` by `from` in one step; false when the system refused.
bool ReplaceAtomically(const std::string& from, const std::string& to);

// The value of an environment variable, or "" when it is not set.
std::string ReadEnvironment(const std::string& name);
// Sets (or, with an empty value, removes) an environment variable of this process.
void WriteEnvironment(const std::string& name, const std::string& value);

// File name of the library holding this code, without folder, "lib" prefix and
// extension ("tavlink" for libtavlink.so or tavlink.dll).
std::string OwnModuleStem();

// A new, empty folder in the system's temporary folder.
std::string MakeTempFolder(const std::string& prefix);

// The file name of a shared library: libNAME.so on POSIX, NAME.dll on Windows.
std::string LibraryFileName(const std::string& name);

// Loading a shared library by path; null when it cannot be loaded.
void* OpenLibrary(const std::string& path);
void* LibrarySymbol(void* library, const char* name);
void CloseLibrary(void* library);

} // namespace sim
