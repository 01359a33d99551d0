#include "component/signing/UploadFileOpen.h"

#include "platform/WinApi.h"
#include "platform/posix/Utf8.h"

// File names are UTF-8 here: the ANSI name is converted back through the ANSI code page.
FILE* OpenUploadFile(const std::string& ansiName) {
    if (ansiName.empty()) {
        return nullptr;
    }
    const int length = static_cast<int>(ansiName.size());
    std::u16string wide(ansiName.size(), u'\0');
    const int units = MultiByteToWideChar(CP_ACP, 0, ansiName.data(), length, wide.data(), length);
    if (units <= 0) {
        return nullptr;
    }
    wide.resize(static_cast<size_t>(units));
    return std::fopen(norva::ToUtf8(wide).c_str(), "rb");
}

bool SeekToUploadFileEnd(FILE* file, int64_t& size) {
    static_assert(sizeof(off_t) >= sizeof(int64_t), "file positions of 64 bits");
    if (fseeko(file, 0, SEEK_END) != 0) {
        return false;
    }
    size = ftello(file);
    return size >= 0;
}
