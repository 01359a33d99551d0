#include "component/signing/CUploadFileLines.h"

#include <utility>

#include "component/signing/UploadFileOpen.h"

namespace {

constexpr int64_t kLargestSize = 2147483647;

} // namespace

void EndWithCrLf(std::string& line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.pop_back();
    }
    line += "\r\n";
}

CUploadFileLines::CUploadFileLines(std::string ansiName) : name_(std::move(ansiName)) {}

CUploadFileLines::~CUploadFileLines() {
    Close();
}

TZentorError CUploadFileLines::Open() {
    Close();
    FILE* file = OpenUploadFile(name_);
    if (file == nullptr) {
        return ZTUploadFileNotFound;
    }
    int64_t size = 0;
    if (!SeekToUploadFileEnd(file, size) || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return ZTUploadFileAccessError;
    }
    if (size < 1 || size >= kLargestSize) {
        std::fclose(file);
        return ZTUploadFileSizeError;
    }
    file_ = file;
    return ZTNoError;
}

void CUploadFileLines::Close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    bufferStart_ = bufferEnd_ = 0;
    lineWasCut_ = false;
}

bool CUploadFileLines::FillBuffer() {
    if (bufferStart_ < bufferEnd_) {
        return true;
    }
    bufferStart_ = 0;
    bufferEnd_ = std::fread(buffer_, 1, sizeof buffer_, file_);
    return bufferEnd_ > 0;
}

bool CUploadFileLines::ReadPiece(std::string& piece, bool& endedByLineFeed) {
    piece.clear();
    endedByLineFeed = false;
    while (piece.size() < kLineLimit && FillBuffer()) {
        const char c = buffer_[bufferStart_++];
        piece += c;
        if (c == '\n') {
            endedByLineFeed = true;
            break;
        }
    }
    return !piece.empty();
}

bool CUploadFileLines::NextLine(std::string& line) {
    if (file_ == nullptr) {
        return false;
    }
    std::string piece;
    bool endedByLineFeed = false;
    while (ReadPiece(piece, endedByLineFeed)) {
        const bool continuesCutLine = lineWasCut_;
        lineWasCut_ = !endedByLineFeed && piece.size() == kLineLimit;
        EndWithCrLf(piece);
        if (piece.size() > 2) {
            line = std::move(piece);
            return true;
        }
        // Only the line end of a line that filled the limit: not a line of its own.
        if (!continuesCutLine) {
            break;
        }
    }
    Close();
    return false;
}
