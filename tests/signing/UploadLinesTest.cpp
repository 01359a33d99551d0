// The two line sources: a file read by name and content handed over as text.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "component/signing/CUploadContentLines.h"
#include "component/signing/CUploadFileLines.h"
#include "tests/support/ChildProcess.h"

namespace {

using Lines = std::vector<std::string>;

Lines AllLines(IUploadLineSource& source) {
    Lines lines;
    std::string line;
    while (source.NextLine(line)) {
        lines.push_back(line);
    }
    return lines;
}

class UploadLines : public ::testing::Test {
protected:
    std::string WriteFile(const std::string& bytes) {
        const std::string name = (folder_.path() / "upload.txt").string();
        std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
        return name;
    }

    Lines FileLines(const std::string& bytes) {
        CUploadFileLines source(WriteFile(bytes));
        EXPECT_EQ(source.Open(), ZTNoError);
        return AllLines(source);
    }

    static Lines ContentLines(const std::string& content) {
        CUploadContentLines source(content);
        EXPECT_EQ(source.Open(), ZTNoError);
        return AllLines(source);
    }

    norva::test::CTempFolder folder_;
};

const std::string k299(299, 'a');
const std::string k298(298, 'b');

TEST_F(UploadLines, FileLinesEndInCrLfAndAreCutAfter299Characters) {
    struct Case {
        const char* name;
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"LF ends", "K1\n52\n9\n", {"K1\r\n", "52\r\n", "9\r\n"}},
        {"CR LF ends", "K1\r\n52\r\n9\r\n", {"K1\r\n", "52\r\n", "9\r\n"}},
        {"no end on the last line", "K1\r\n52", {"K1\r\n", "52\r\n"}},
        {"trailing CRs are line end", "K1\r\r\n52\r", {"K1\r\n", "52\r\n"}},
        {"a CR inside stays", "A\rB\n", {"A\rB\r\n"}},
        {"an empty line ends the file", "K1\n\n52\n", {"K1\r\n"}},
        {"a CR LF alone ends it too", "K1\r\n\r\n52\r\n", {"K1\r\n"}},
        {"400 characters",
         std::string(400, 'x') + "\r\n5\n",
         {std::string(299, 'x') + "\r\n", std::string(101, 'x') + "\r\n", "5\r\n"}},
        // A line that fills the limit exactly: its line end is not an empty line that
        // would end the file.
        {"299 characters and CR LF", k299 + "\r\n5\r\n", {k299 + "\r\n", "5\r\n"}},
        {"299 characters and LF", k299 + "\n5\n", {k299 + "\r\n", "5\r\n"}},
        {"598 characters", k299 + k299 + "\r\n5\r\n", {k299 + "\r\n", k299 + "\r\n", "5\r\n"}},
        // The CR of the line end falls into the first read: the same line as with LF alone.
        {"298 characters and CR LF", k298 + "\r\n5\r\n", {k298 + "\r\n", "5\r\n"}},
        {"298 characters and LF", k298 + "\n5\n", {k298 + "\r\n", "5\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FileLines(c.bytes), c.lines);
    }
}

TEST_F(UploadLines, ContentLinesFollowTheContentRules) {
    struct Case {
        const char* name;
        std::string content;
        Lines lines;
    };
    const Case cases[] = {
        {"CR LF ends", "K1\r\n52\r\n", {"K1\r\n", "52\r\n", "\r\n"}},
        {"no end on the last line", "K1\r\n52", {"K1\r\n", "52\r\n", "\r\n"}},
        // The character after a CR is dropped, whatever it is.
        {"CR then X", "AB\rX", {"AB\r\n", "\r\n"}},
        {"CR then X inside", "AB\rXCD\r\n", {"AB\r\n", "CD\r\n", "\r\n"}},
        {"LF alone ends a line", "K1\n52\n9", {"K1\r\n", "52\r\n", "9\r\n", "\r\n"}},
        {"a CR as the last character", "AB\r", {"AB\r\n", "\r\n"}},
        {"empty lines are handed on", "A\r\n\r\nB\r\n", {"A\r\n", "\r\n", "B\r\n", "\r\n"}},
        {"one character", "5", {"5\r\n", "\r\n"}},
        {"497 characters", std::string(497, 'c'), {std::string(497, 'c') + "\r\n", "\r\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ContentLines(c.content), c.lines);
    }
}

TEST_F(UploadLines, FileAndContentGiveTheSameLines) {
    const std::string header = "K" + std::string(120, 'h');
    const std::string detail = "512345678" + std::string(12, 'd') + "000000000001050";
    const std::string texts[] = {
        header + "\n" + detail + "\n" + detail + "\n9trailer\n",
        header + "\r\n" + detail + "\r\n" + detail + "\r\n9trailer\r\n",
        header + "\r\n" + detail + "\n" + detail + "\r\n9trailer",
        std::string(299, 'z') + "\r\n" + detail + "\r\n",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.substr(0, 130));
        Lines fromFile = FileLines(text);
        // The content source hands on one more, empty, line at its end.
        fromFile.push_back("\r\n");
        EXPECT_EQ(ContentLines(text), fromFile);
    }
}

TEST_F(UploadLines, UnusableSourcesAreRefusedAndGiveNoLines) {
    CUploadFileLines missing((folder_.path() / "missing.txt").string());
    EXPECT_EQ(missing.Open(), ZTUploadFileNotFound);
    EXPECT_TRUE(AllLines(missing).empty());

    CUploadFileLines empty(WriteFile(""));
    EXPECT_EQ(empty.Open(), ZTUploadFileSizeError);
    EXPECT_TRUE(AllLines(empty).empty());

    const std::pair<const char*, std::string> contents[] = {
        {"empty", ""},
        {"a line of 498 characters", "K\r\n" + std::string(498, 'c') + "\r\n5"},
        {"498 characters ended by LF", std::string(498, 'c') + "\n"},
    };
    for (const auto& [name, content] : contents) {
        SCOPED_TRACE(name);
        CUploadContentLines source(content);
        EXPECT_EQ(source.Open(), ZTUploadFileSizeError);
        EXPECT_TRUE(AllLines(source).empty());
    }
}

} // namespace
