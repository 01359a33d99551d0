// The review pass over the lines of an upload file, answered by a prompt double.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/signing/CUploadContentLines.h"
#include "component/signing/UploadPromptTexts.h"
#include "component/signing/UploadReview.h"
#include "tests/signing/CPromptDouble.h"

namespace {

constexpr LANGID kHebrew = 0x040D;

std::string Header(size_t length) {
    return "K" + std::string(length - 1, 'h');
}

// A detail record of 36 characters: institution 12345-67-8, then the given amount.
std::string Detail(const std::string& amount) {
    return "512345678" + std::string(12, 'd') + amount;
}

// A source that also counts how far it was read and whether it was closed.
class CCountingLines : public IUploadLineSource {
public:
    explicit CCountingLines(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    bool NextLine(std::string& line) override {
        if (closed || given == lines_.size()) {
            return false;
        }
        line = lines_[given++] + "\r\n";
        return true;
    }
    void Close() override { closed = true; }

    size_t given = 0;
    bool closed = false;

private:
    std::vector<std::string> lines_;
};

TEST(UploadReview, MalformedRecordsNameTheirLineAndPosition) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        int line;
        int position;
    };
    const std::string detail = Detail("000000000001050");
    const Case cases[] = {
        {"a K header of 99 characters", {Header(99), detail}, 1, 101},
        {"a 1 header of 105 characters", {"1" + std::string(104, 'x')}, 1, 107},
        {"a detail of 30 characters on line 3", {Header(120), detail, detail.substr(0, 30)}, 3, 32},
        {"a detail of 34 characters", {detail.substr(0, 34)}, 1, 36},
        {"empty lines count", {Header(120), "", "", detail.substr(0, 10)}, 4, 12},
        {"a header after the details", {detail, Header(105)}, 2, 107},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CCountingLines lines(c.lines);
        CPromptDouble prompt(true);
        const UploadReviewOutcome outcome = ReviewUpload(lines, "pay.txt", prompt, kHebrew);
        EXPECT_EQ(outcome.result, UploadReviewResult::Malformed);
        EXPECT_EQ(outcome.line, c.line);
        EXPECT_EQ(outcome.position, c.position);
        EXPECT_TRUE(prompt.confirmations.empty());
        ASSERT_EQ(prompt.errors.size(), 1u);
        EXPECT_EQ(prompt.errors[0].text, ErrorPrompt("pay.txt", c.line, c.position, kHebrew).text);
        // Nothing after the malformed line is read, and the source is closed first.
        EXPECT_EQ(lines.given, static_cast<size_t>(c.line));
        EXPECT_TRUE(lines.closed);
    }
}

TEST(UploadReview, ValidRecordsOfTheShortestLengthsPass) {
    CCountingLines lines(
        {Header(106), "1" + std::string(105, 'x'), Detail("00000000000105"), "9", "", "other"});
    CPromptDouble prompt(true);
    EXPECT_EQ(ReviewUpload(lines, "pay.txt", prompt, kHebrew).result,
              UploadReviewResult::Confirmed);
    EXPECT_TRUE(prompt.errors.empty());
}

TEST(UploadReview, ListsTenOfTwelveAmountsAndStopsAtTheEleventh) {
    std::vector<std::string> records = {Header(120)};
    CConfirmationText expected("pay.txt");
    for (int i = 1; i <= 12; ++i) {
        const std::string cents = (i < 10 ? "0" : "") + std::to_string(i);
        records.push_back(Detail("0000000000100" + cents));
        records.push_back("6 carried along");
        if (i <= 10) {
            expected.AddDetail(Detail(""), "100." + cents);
        }
    }
    // Not reported: the review stops reading at the eleventh detail record.
    records.push_back(Detail("1"));
    CCountingLines lines(records);
    CPromptDouble prompt(false);
    const UploadReviewOutcome outcome = ReviewUpload(lines, "pay.txt", prompt, kHebrew);
    EXPECT_EQ(outcome.result, UploadReviewResult::Declined);
    EXPECT_TRUE(prompt.errors.empty());
    ASSERT_EQ(prompt.confirmations.size(), 1u);
    EXPECT_EQ(prompt.confirmations[0].text, expected.Prompt(kHebrew).text);
    EXPECT_EQ(lines.given, 1u + 2 * 10 + 1);
    EXPECT_TRUE(lines.closed);
}

TEST(UploadReview, ListsTheInstitutionAndAmountOfADetail) {
    CUploadContentLines lines("512345678abcdefghijkl000000000001050\r\n9\r\n");
    ASSERT_EQ(lines.Open(), ZTNoError);
    CPromptDouble prompt(true);
    EXPECT_EQ(ReviewUpload(lines, "pay.txt", prompt, kHebrew).result,
              UploadReviewResult::Confirmed);
    CConfirmationText expected("pay.txt");
    expected.AddDetail("512345678", "10.50");
    ASSERT_EQ(prompt.confirmations.size(), 1u);
    EXPECT_EQ(prompt.confirmations[0].text, expected.Prompt(kHebrew).text);
    EXPECT_NE(prompt.confirmations[0].text.find("12345-67-8 \xE4\xE9\xF0\xE5 10.50"),
              std::string::npos);
}

TEST(UploadReview, AnEmptySourceStillAsksWithTheFileNameOnly) {
    CUploadContentLines refused("");
    EXPECT_EQ(refused.Open(), ZTUploadFileSizeError);
    CPromptDouble prompt(true);
    const UploadReviewOutcome outcome = ReviewUpload(refused, "pay.txt", prompt, 0x0409);
    EXPECT_EQ(outcome.result, UploadReviewResult::Confirmed);
    ASSERT_EQ(prompt.confirmations.size(), 1u);
    EXPECT_EQ(prompt.confirmations[0].text, CConfirmationText("pay.txt").Prompt(0x0409).text);
    EXPECT_EQ(prompt.confirmations[0].okWord, "OK");
}

} // namespace
