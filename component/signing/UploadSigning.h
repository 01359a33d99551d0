// Signing a payment upload file record by record, after the person confirmed it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "component/base/ZentorErrors.h"
#include "component/access/CTokenAccess.h"
#include "component/signing/IUploadLineSource.h"
#include "component/signing/IUploadPrompt.h"

// Where the lines of one upload come from. It is opened twice, once for the review and once
// for signing, and gives the same lines both times.
class IUploadSource {
public:
    virtual ~IUploadSource() = default;
    // A new line source over the upload. With a non-zero result (the file cannot be
    // opened, its size is unusable, the content is missing or unusable) it gives no lines.
    virtual TZentorError Open(std::unique_ptr<IUploadLineSource>& lines) = 0;
};

// A file read from disk by its name in the ANSI code page.
std::unique_ptr<IUploadSource> UploadFileSource(std::string ansiName);
// Content handed over as text; null content is missing (ZTUploadFileNotFound).
std::unique_ptr<IUploadSource> UploadContentSource(BSTR content);

struct UploadSigning {
    TZentorError outcome = ZTNoError;
    // True from the review on until the person confirms.
    bool canceled = false;
    // The signatures of the detail records made, joined by "|".
    std::string signatures;
};

// Reviews the upload with the person through `prompt` and, once confirmed, signs every
// detail record together with the lines before it since the previous one and the
// challenge. A pass that stops on an error keeps the signatures made before it. Needs a
// driver chosen on `access` (ZTNoTokenInserted otherwise).
UploadSigning SignUpload(CTokenAccess& access, IUploadPrompt& prompt, IUploadSource& source,
                         BSTR pin, std::string_view fileName, std::string_view challenge);

// The signing pass alone, over lines already confirmed.
TZentorError SignUploadLines(CTokenAccess& access, BSTR pin, IUploadLineSource& lines,
                             std::string_view challenge, std::string& signatures);
