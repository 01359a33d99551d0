#include "component/signing/CUploadContentLines.h"

#include <utility>

namespace {

constexpr size_t kLargestLength = 2147483647;

} // namespace

CUploadContentLines::CUploadContentLines(std::string content) : content_(std::move(content)) {}

TZentorError CUploadContentLines::Open() {
    open_ = false;
    if (content_.empty() || content_.size() >= kLargestLength) {
        return ZTUploadFileSizeError;
    }
    position_ = 0;
    while (position_ < content_.size()) {
        std::string line = TakeLine();
        EndWithCrLf(line);
        if (line.size() - 2 > kLineLimit) {
            return ZTUploadFileSizeError;
        }
    }
    position_ = 0;
    lastLineGiven_ = false;
    open_ = true;
    return ZTNoError;
}

void CUploadContentLines::Close() {
    open_ = false;
}

std::string CUploadContentLines::TakeLine() {
    const size_t start = position_;
    while (position_ < content_.size()) {
        const char c = content_[position_++];
        if (position_ == content_.size()) {
            // The last character ends the line and stays in it.
            return content_.substr(start, position_ - start);
        }
        if (c == '\r') {
            const size_t end = position_ - 1;
            ++position_;
            return content_.substr(start, end - start);
        }
        if (c == '\n') {
            return content_.substr(start, position_ - 1 - start);
        }
    }
    return content_.substr(start, position_ - start);
}

bool CUploadContentLines::NextLine(std::string& line) {
    if (!open_) {
        return false;
    }
    if (position_ < content_.size()) {
        line = TakeLine();
    } else if (!lastLineGiven_) {
        lastLineGiven_ = true;
        line.clear();
    } else {
        open_ = false;
        return false;
    }
    EndWithCrLf(line);
    return true;
}
