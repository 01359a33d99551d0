// norva-regsvr [-u] <library>
// Loads the library and calls its DllRegisterServer (or, with -u, DllUnregisterServer).
// Exit codes: 0 done, 2 bad command line, 3 library missing or not loadable, 4 entry
// point missing, 5 the call failed.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/WinApi.h"

namespace {

enum ExitCode {
    kDone = 0,
    kUsage = 2,
    kLibraryMissing = 3,
    kEntryPointMissing = 4,
    kCallFailed = 5,
};

struct Request {
    bool unregister = false;
    std::string library;
};

bool ReadCommandLine(int argc, char** argv, Request& request) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-u") == 0 || std::strcmp(argv[i], "/u") == 0) {
            request.unregister = true;
        } else if (request.library.empty()) {
            request.library = argv[i];
        } else {
            return false;
        }
    }
    return !request.library.empty();
}

// The library registers the path it was loaded from, so an existing file is loaded by its
// full path; anything else is left to the library search order.
std::string LoadPath(const std::string& library) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(library, error)) {
        return library;
    }
    const std::filesystem::path full = std::filesystem::absolute(library, error);
    return error ? library : full.string();
}

class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& path) : module(LoadLibraryA(path.c_str())) {}
    ~LoadedLibrary() {
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    HMODULE Get() const { return module; }

private:
    HMODULE module;
};

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

int Run(const Request& request) {
    const char* entryName = request.unregister ? "DllUnregisterServer" : "DllRegisterServer";
    const std::string path = LoadPath(request.library);
    LoadedLibrary library(path);
    if (library.Get() == nullptr) {
        std::fprintf(stderr, "norva-regsvr: cannot load %s (error %lu)\n", path.c_str(),
                     static_cast<unsigned long>(GetLastError()));
        return kLibraryMissing;
    }
    const auto entry = reinterpret_cast<EntryPoint>(
        reinterpret_cast<void*>(GetProcAddress(library.Get(), entryName)));
    if (entry == nullptr) {
        std::fprintf(stderr, "norva-regsvr: %s has no entry point %s\n", path.c_str(), entryName);
        return kEntryPointMissing;
    }
    const HRESULT hr = entry();
    if (FAILED(hr)) {
        std::fprintf(stderr, "norva-regsvr: %s in %s failed with 0x%08lX\n", entryName,
                     path.c_str(), static_cast<unsigned long>(hr));
        return kCallFailed;
    }
    std::printf("%s in %s succeeded.\n", entryName, path.c_str());
    return kDone;
}

} // namespace

int main(int argc, char** argv) {
    Request request;
    if (!ReadCommandLine(argc, argv, request)) {
        std::fprintf(stderr, "usage: norva-regsvr [-u] <library>\n");
        return kUsage;
    }
    const bool comStarted = SUCCEEDED(CoInitialize(nullptr));
    const int result = Run(request);
    if (comStarted) {
        CoUninitialize();
    }
    return result;
}
