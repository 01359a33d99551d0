// The two upload line sources and the review over them, answered by a prompt double:
// every line ends in CR LF, the review shows exactly one prompt and closes its source, and
// its outcome agrees with that prompt.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "component/signing/CUploadContentLines.h"
#include "component/signing/CUploadFileLines.h"
#include "component/signing/UploadReview.h"
#include "tests/signing/CPromptDouble.h"

namespace {

// The file the file source reads: in memory where the system offers it.
const std::string& UploadFile() {
    static const std::string path = [] {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(folder) + "/norva-fuzz-upload-" + std::to_string(getpid());
    }();
    return path;
}

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// Reads a fresh source to its end: each line ends in CR LF and holds no other line end.
void CheckLines(IUploadLineSource& lines, size_t limit) {
    std::string line;
    for (int count = 0; lines.NextLine(line); ++count) {
        Check(line.size() >= 2 && line.size() <= limit + 2 && line.ends_with("\r\n"));
        Check(count < 1 << 20);
    }
}

std::unique_ptr<IUploadLineSource> OpenSource(bool fromFile, const std::string& content) {
    if (fromFile) {
        FILE* file = std::fopen(UploadFile().c_str(), "wb");
        Check(file != nullptr &&
              std::fwrite(content.data(), 1, content.size(), file) == content.size());
        std::fclose(file);
        auto source = std::make_unique<CUploadFileLines>(UploadFile());
        source->Open();
        return source;
    }
    auto source = std::make_unique<CUploadContentLines>(content);
    source->Open();
    return source;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool fromFile = input.ConsumeBool();
    const bool confirm = input.ConsumeBool();
    const LANGID language = input.ConsumeBool() ? 0x040D : 0x0409;
    const std::string name = input.ConsumeRandomLengthString(64);
    const std::string content = input.ConsumeRemainingBytesAsString();

    const size_t limit = fromFile ? CUploadFileLines::kLineLimit : CUploadContentLines::kLineLimit;
    CheckLines(*OpenSource(fromFile, content), limit);

    const std::unique_ptr<IUploadLineSource> lines = OpenSource(fromFile, content);
    CPromptDouble prompt(confirm);
    const UploadReviewOutcome outcome = ReviewUpload(*lines, name, prompt, language);
    Check(prompt.errors.size() + prompt.confirmations.size() == 1);
    std::string after;
    Check(!lines->NextLine(after));
    switch (outcome.result) {
    case UploadReviewResult::Malformed:
        Check(prompt.errors.size() == 1 && outcome.line >= 1 && outcome.position >= 2);
        break;
    case UploadReviewResult::Confirmed:
        Check(confirm && prompt.confirmations.size() == 1);
        break;
    case UploadReviewResult::Declined:
        Check(!confirm && prompt.confirmations.size() == 1);
        break;
    }
    return 0;
}
