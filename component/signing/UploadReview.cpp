#include "component/signing/UploadReview.h"

#include <string>

#include "component/signing/UploadAmount.h"
#include "component/signing/UploadPromptTexts.h"

namespace {

// Shortest valid records, CR LF included.
constexpr size_t kShortestHeader = 108;
constexpr size_t kShortestDetail = 37;
// Detail records beyond this many are neither listed nor checked.
constexpr int kListedDetails = 10;
constexpr size_t kAmountAt = 21;
constexpr size_t kAmountLength = 15;

bool IsHeader(const std::string& line) {
    return line[0] == '1' || line[0] == 'K';
}

} // namespace

UploadReviewOutcome ReviewUpload(IUploadLineSource& lines, std::string_view fileName,
                                 IUploadPrompt& prompt, LANGID uiLanguage) {
    CConfirmationText confirmation(fileName);
    UploadReviewOutcome outcome;
    int details = 0;
    std::string line;
    while (lines.NextLine(line)) {
        ++outcome.line;
        const bool shortHeader = IsHeader(line) && line.size() < kShortestHeader;
        const bool shortDetail = IsDetailRecord(line) && line.size() < kShortestDetail;
        if (shortHeader || shortDetail) {
            outcome.result = UploadReviewResult::Malformed;
            outcome.position = static_cast<int>(line.size());
            break;
        }
        if (!IsDetailRecord(line)) {
            continue;
        }
        if (++details > kListedDetails) {
            break;
        }
        // A record of the shortest length ends its amount with the CR of its line end.
        confirmation.AddDetail(line,
                               AmountText(std::string_view(line).substr(kAmountAt, kAmountLength)));
    }
    lines.Close();

    if (outcome.result == UploadReviewResult::Malformed) {
        prompt.ShowError(ErrorPrompt(fileName, outcome.line, outcome.position, uiLanguage));
        return outcome;
    }
    outcome.line = 0;
    const bool confirmed = prompt.AskConfirmation(confirmation.Prompt(uiLanguage));
    outcome.result = confirmed ? UploadReviewResult::Confirmed : UploadReviewResult::Declined;
    return outcome;
}
