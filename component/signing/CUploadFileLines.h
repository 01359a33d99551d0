// The lines of an upload file read from disk by name.
//
// A line is read at most 299 characters at a time: a longer physical line arrives as several
// lines, each ending in CR LF of its own. An empty line ends the file; nothing after it is
// reviewed or signed.
//
// Both passes over a file read it in binary mode and take the line ends off themselves, so
// the review and the signing see exactly the same lines. (A text-mode read would turn CR LF
// into LF only for the signing pass, which moves where a 299-character cut falls, and would
// stop the signing pass at a Ctrl-Z that the review read past.)
#pragma once

#include <cstdio>
#include <string>

#include "component/base/ZentorErrors.h"
#include "component/signing/IUploadLineSource.h"

class CUploadFileLines : public IUploadLineSource {
public:
    explicit CUploadFileLines(std::string ansiName);
    ~CUploadFileLines() override;
    CUploadFileLines(const CUploadFileLines&) = delete;
    CUploadFileLines& operator=(const CUploadFileLines&) = delete;

    // Opens the file and checks its size: ZTUploadFileNotFound when it cannot be opened,
    // ZTUploadFileAccessError when its size cannot be found, ZTUploadFileSizeError when it is
    // empty or 2147483647 bytes or more. Until it succeeds the source gives no lines.
    TZentorError Open();
    bool NextLine(std::string& line) override;
    void Close() override;

    // The most characters one line holds; the rest of a physical line follows as a new line.
    static constexpr size_t kLineLimit = 299;

private:
    // Up to kLineLimit bytes, or fewer up to and including an LF; false at the end of the file.
    bool ReadPiece(std::string& piece, bool& endedByLineFeed);
    bool FillBuffer();

    std::string name_;
    FILE* file_ = nullptr;
    char buffer_[4096];
    size_t bufferStart_ = 0;
    size_t bufferEnd_ = 0;
    // The last piece was cut at the limit, so an empty piece next is only its line end.
    bool lineWasCut_ = false;
};
