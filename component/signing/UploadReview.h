// The review of an upload file before it is signed: the header and detail records are
// checked, the first ten amounts are listed, and the person is asked.
#pragma once

#include <string_view>

#include "component/signing/IUploadLineSource.h"
#include "component/signing/IUploadPrompt.h"

enum class UploadReviewResult { Confirmed, Declined, Malformed };

struct UploadReviewOutcome {
    UploadReviewResult result = UploadReviewResult::Declined;
    // For Malformed: the 1-based number of the offending line (every line counts, empty
    // ones too) and the position from which it is invalid, which is its length with CR LF.
    int line = 0;
    int position = 0;
};

// Reads the lines, closes the source, and shows one prompt: the error prompt for the first
// short header or detail record, else the confirmation prompt. A source that gives no line
// (a file that could not be opened, empty content) still gets the confirmation prompt,
// naming the file only. fileName is in the ANSI code page.
UploadReviewOutcome ReviewUpload(IUploadLineSource& lines, std::string_view fileName,
                                 IUploadPrompt& prompt, LANGID uiLanguage = GetUserDefaultLangID());
