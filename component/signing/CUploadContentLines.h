// The lines of an upload file handed over as text (in the ANSI code page).
//
// A CR ends a line and the character after it is dropped unread, being taken for the LF of
// a CR LF pair. An LF alone ends a line as well, so content with LF line ends gives the same
// lines as the same text read from a file. The last character ends the last line, and one
// further empty line follows it. Empty lines do not end this source.
#pragma once

#include <string>

#include "component/base/ZentorErrors.h"
#include "component/signing/IUploadLineSource.h"

class CUploadContentLines : public IUploadLineSource {
public:
    explicit CUploadContentLines(std::string content);

    // ZTUploadFileSizeError when the content is empty, 2147483647 characters or longer, or
    // has a line of more than kLineLimit characters (such a line is no upload record, and
    // cutting it would sign a text that differs from the file's). Until it succeeds the
    // source gives no lines.
    TZentorError Open();
    bool NextLine(std::string& line) override;
    void Close() override;

    // The most characters a line holds before its CR LF.
    static constexpr size_t kLineLimit = 497;

private:
    // The line that starts at position_, without its line end; moves position_ past it.
    std::string TakeLine();

    std::string content_;
    size_t position_ = 0;
    bool open_ = false;
    bool lastLineGiven_ = false;
};
