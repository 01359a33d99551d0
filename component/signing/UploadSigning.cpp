#include "component/signing/UploadSigning.h"

#include <span>
#include <utility>
#include <vector>

#include "component/access/AnsiText.h"
#include "component/signing/CUploadContentLines.h"
#include "component/signing/CUploadFileLines.h"
#include "component/signing/SignBlock.h"
#include "component/signing/UploadReview.h"

namespace {

class CFileSource : public IUploadSource {
public:
    explicit CFileSource(std::string ansiName) : name_(std::move(ansiName)) {}
    TZentorError Open(std::unique_ptr<IUploadLineSource>& lines) override {
        auto file = std::make_unique<CUploadFileLines>(name_);
        const TZentorError opened = file->Open();
        lines = std::move(file);
        return opened;
    }

private:
    std::string name_;
};

class CContentSource : public IUploadSource {
public:
    explicit CContentSource(BSTR content)
        : missing_(content == nullptr), content_(ToAnsiText(content, CP_ACP)) {}
    TZentorError Open(std::unique_ptr<IUploadLineSource>& lines) override {
        auto content = std::make_unique<CUploadContentLines>(content_);
        const TZentorError opened = missing_ ? ZTUploadFileNotFound : content->Open();
        lines = std::move(content);
        return opened;
    }

private:
    bool missing_;
    std::string content_;
};

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

} // namespace

std::unique_ptr<IUploadSource> UploadFileSource(std::string ansiName) {
    return std::make_unique<CFileSource>(std::move(ansiName));
}

std::unique_ptr<IUploadSource> UploadContentSource(BSTR content) {
    return std::make_unique<CContentSource>(content);
}

TZentorError SignUploadLines(CTokenAccess& access, BSTR pin, IUploadLineSource& lines,
                             std::string_view challenge, std::string& signatures) {
    std::string accumulated;
    std::string line;
    std::vector<uint8_t> digest;
    size_t digestRoom = kDigestRoom;
    size_t signedCount = 0;
    while (lines.NextLine(line)) {
        accumulated += line;
        if (!IsDetailRecord(line)) {
            continue;
        }
        accumulated += challenge;
        const TZentorError hashed = DigestText(access, Bytes(accumulated), digestRoom, digest);
        if (hashed != ZTNoError) {
            return hashed;
        }
        digestRoom = digest.size();
        accumulated.clear();
        std::string signature;
        const TZentorError signedRecord =
            SignBlock(access, pin, digest, signature, SignStep::SignOnly);
        if (signedRecord != ZTNoError) {
            return signedRecord;
        }
        // Counted, not read off the list: an empty signature still takes its place.
        if (signedCount++ > 0) {
            signatures += '|';
        }
        signatures += signature;
    }
    return ZTNoError;
}

UploadSigning SignUpload(CTokenAccess& access, IUploadPrompt& prompt, IUploadSource& source,
                         BSTR pin, std::string_view fileName, std::string_view challenge) {
    UploadSigning result;
    if (access.CardType() == 0) { // no driver chosen
        result.outcome = ZTNoTokenInserted;
        return result;
    }
    result.canceled = true;
    std::unique_ptr<IUploadLineSource> reviewLines;
    // A source that cannot be opened gives an empty review: the prompt then names the file
    // only, and the reason is reported after confirmation.
    source.Open(reviewLines);
    const UploadReviewOutcome review = ReviewUpload(*reviewLines, fileName, prompt);
    if (review.result == UploadReviewResult::Malformed) {
        result.outcome = ZTUploadFileBinaryNull;
        return result;
    }
    if (review.result != UploadReviewResult::Confirmed) {
        return result;
    }
    result.canceled = false;
    std::unique_ptr<IUploadLineSource> lines;
    result.outcome = source.Open(lines);
    if (result.outcome == ZTNoError) {
        result.outcome = SignUploadLines(access, pin, *lines, challenge, result.signatures);
    }
    lines->Close();
    return result;
}
