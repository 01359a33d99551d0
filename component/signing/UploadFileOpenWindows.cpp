#include "component/signing/UploadFileOpen.h"

// The C runtime reads a narrow file name in the ANSI code page, as the name already is.
FILE* OpenUploadFile(const std::string& ansiName) {
    return std::fopen(ansiName.c_str(), "rb");
}

bool SeekToUploadFileEnd(FILE* file, int64_t& size) {
    if (_fseeki64(file, 0, SEEK_END) != 0) {
        return false;
    }
    size = _ftelli64(file);
    return size >= 0;
}
