#include "component/signing/UploadRecordCount.h"

#include <string>

#include "component/access/AnsiText.h"
#include "component/signing/CUploadContentLines.h"
#include "component/signing/CUploadFileLines.h"

namespace {

template <typename Lines> std::optional<size_t> CountRecords(Lines& lines) {
    if (lines.Open() != ZTNoError) {
        return std::nullopt;
    }
    size_t records = 0;
    std::string line;
    while (lines.NextLine(line)) {
        records += IsDetailRecord(line) ? 1 : 0;
    }
    return records;
}

} // namespace

std::optional<size_t> CountFileRecords(BSTR fileName) {
    CUploadFileLines lines(ToAnsiText(fileName, CP_ACP));
    return CountRecords(lines);
}

std::optional<size_t> CountContentRecords(BSTR content) {
    if (content == nullptr) {
        return std::nullopt;
    }
    CUploadContentLines lines(ToAnsiText(content, CP_ACP));
    return CountRecords(lines);
}
