// Reviews an upload file with the prompt a person answers, as file signing does before it
// signs, and prints the outcome: "confirmed", "declined", or "malformed LINE POSITION".
#include <cstdio>

#include "component/signing/CUploadFileLines.h"
#include "component/signing/UploadReview.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: UploadReviewProbe FILE\n");
        return 2;
    }
    CUploadFileLines lines(argv[1]);
    // An unusable file is reviewed as an empty one.
    lines.Open();
    const auto prompt = CreateUserPrompt();
    const UploadReviewOutcome outcome = ReviewUpload(lines, argv[1], *prompt);
    switch (outcome.result) {
    case UploadReviewResult::Confirmed:
        std::printf("confirmed\n");
        break;
    case UploadReviewResult::Declined:
        std::printf("declined\n");
        break;
    case UploadReviewResult::Malformed:
        std::printf("malformed %d %d\n", outcome.line, outcome.position);
        break;
    }
    return 0;
}
