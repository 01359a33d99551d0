#include "component/signing/UploadFileOpen.h"

// The C runtime reads a narrow file name in the ANSI code page, as the name already is.
FILE* OpenUploadFile(const std::string& ansiName) {
    return std::fopen(ansiName.c_str(), "rb");
}
