// Kernel services on POSIX: last error, code pages, libraries, critical sections, debugging
// output and the user's locale.
#pragma once

#include <pthread.h>

#include "platform/posix/WinError.h"

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// The ANSI code page is Windows-1255, extended so that every byte has its own UTF-16 unit.
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001
#define MB_PRECOMPOSED 0x01
#define MB_COMPOSITE 0x02
#define MB_USEGLYPHCHARS 0x04
#define MB_ERR_INVALID_CHARS 0x08
#define WC_COMPOSITECHECK 0x200
#define WC_DISCARDNS 0x10
#define WC_SEPCHARS 0x20
#define WC_DEFAULTCHAR 0x40
#define WC_ERR_INVALID_CHARS 0x80
#define WC_NO_BEST_FIT_CHARS 0x400

UINT GetACP();
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar);

// A bare "X.dll" is loaded as "libX.so" through the normal search order; a name with a path
// is used as it is.
HMODULE LoadLibraryA(LPCSTR lpLibFileName);
HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
// Adds a folder searched for a bare name that the normal order does not find; null or ""
// removes it. One setting for the whole process.
BOOL SetDllDirectoryW(LPCWSTR lpPathName);
BOOL SetDllDirectoryA(LPCSTR lpPathName);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL FreeLibrary(HMODULE hLibModule);
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x1
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x2
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x4
BOOL GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE* phModule);

// Recursive, as on Windows.
typedef struct _CRITICAL_SECTION {
    pthread_mutex_t mutex;
} CRITICAL_SECTION, *LPCRITICAL_SECTION;
void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

// Named mutexes between processes, over lock files: CreateMutexA opens the file that the
// name stands for (in /tmp/norva-<uid>, a folder only its user may use; a "Local\\" or
// "Global\\" prefix is dropped), WaitForSingleObject takes an exclusive flock on it and
// ReleaseMutex gives it back. The system releases the lock of a process that ends, so an
// owner that dies without releasing is never waited for. Ownership belongs to the handle:
// one handle is used by one thread, and two handles of one name exclude each other even in
// one thread. Unnamed mutexes and initial ownership are not supported (null, with
// ERROR_INVALID_PARAMETER).
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName);
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
BOOL ReleaseMutex(HANDLE hMutex);
BOOL CloseHandle(HANDLE hObject);

// Written to standard error: standard output carries the host's protocol.
void OutputDebugStringA(LPCSTR lpOutputString);
void OutputDebugStringW(LPCWSTR lpOutputString);

// Taken from LC_ALL, LC_MESSAGES and LANG, in that order.
LANGID GetUserDefaultLangID();
LANGID GetUserDefaultUILanguage();
LANGID GetSystemDefaultLangID();
LCID GetUserDefaultLCID();
LCID GetSystemDefaultLCID();
LCID GetThreadLocale();
BOOL SetThreadLocale(LCID Locale);
