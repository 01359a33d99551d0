// SignFile and SignFileData through the simulated drivers, with the prompt double: which
// texts are hashed and signed, the digest chosen by the key's length, partial results, and
// that nothing reaches the token without a confirmation.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "component/signing/HexText.h"
#include "tests/signing/SigningFixture.h"

namespace {

// A header of 106 characters, two detail records and a trailer.
const std::string kHeader = "K" + std::string(105, 'H');
const std::string kFirst = "5123456781234567890AB000000000001050XYZ";
const std::string kSecond = "5765432109876543210CD000000001234567XYZ";
const std::string kTrailer = "9" + std::string(20, 'T');
constexpr char kChallenge[] = "CH-2026-12-09";

std::string Joined(const char* end) {
    return kHeader + end + kFirst + end + kSecond + end + kTrailer + end;
}

// The texts the two signatures must cover: every line in CR LF form, then the challenge.
const std::string kFirstText = kHeader + "\r\n" + kFirst + "\r\n" + kChallenge;
const std::string kSecondText = kSecond + "\r\n" + kChallenge;

} // namespace

class FileSigningTest : public SigningTest {
protected:
    // Signs `content` as SignFileData (or, with asFile, written to a file for SignFile).
    std::string SignUpload(CZentor& zentor, const std::string& content, bool asFile) {
        const OwnedBstr pin = SingleByteBstr(kUserPin);
        const OwnedBstr challenge = SingleByteBstr(kChallenge);
        OwnedBstr result;
        if (asFile) {
            const std::string path = sims.Folder() + "/upload.txt";
            std::ofstream(path, std::ios::binary) << content;
            const OwnedBstr name = SingleByteBstr(path);
            zentor.SignFile(pin.Get(), name.Get(), challenge.Get(), result.Put());
        } else {
            const OwnedBstr text = SingleByteBstr(content);
            const OwnedBstr name = SingleByteBstr("upload.txt");
            zentor.SignFileData(pin.Get(), text.Get(), name.Get(), challenge.Get(), result.Put());
        }
        return ToAnsi(result.Get());
    }
    TZentorError LastError(CZentor& zentor) {
        TZentorError error = ZTNoError;
        zentor.get_LastZTError(&error);
        return error;
    }
    bool Canceled(CZentor& zentor) {
        VARIANT_BOOL canceled = 0;
        zentor.get_SignFileCanceled(&canceled);
        return canceled != 0;
    }
};

TEST_F(FileSigningTest, EachDetailRecordIsSignedAsTheSha512OfItsLinesAndTheChallenge) {
    PrepareKeyedToken(2048);
    struct Form {
        const char* name;
        std::string content;
        bool asFile;
    };
    const std::vector<Form> forms = {{"file, LF", Joined("\n"), true},
                                     {"file, CR LF", Joined("\r\n"), true},
                                     {"content, CR LF", Joined("\r\n"), false},
                                     {"content, LF", Joined("\n"), false}};
    for (const Form& form : forms) {
        SCOPED_TRACE(form.name);
        sims.ClearCalls();
        const std::vector<std::string> signatures =
            Split(SignUpload(signer, form.content, form.asFile));
        EXPECT_EQ(LastError(signer), ZTNoError);
        EXPECT_FALSE(Canceled(signer));
        ASSERT_EQ(signatures.size(), 2u);
        const sim::Bytes first = sim::Digest(sim::TDigest::Sha512, BytesOf(kFirstText));
        const sim::Bytes second = sim::Digest(sim::TDigest::Sha512, BytesOf(kSecondText));
        EXPECT_TRUE(Signs(signatures[0], first));
        EXPECT_TRUE(Signs(signatures[1], second));
        // The token hashed exactly those texts and signed the bare digests.
        const auto digests = TokenCallsOf("C_Digest");
        ASSERT_EQ(digests.size(), 2u);
        EXPECT_EQ(digests[0].Arg("data"),
                  EncodeHexText(BytesOf(kFirstText).data(), kFirstText.size()));
        EXPECT_EQ(digests[1].Arg("data"),
                  EncodeHexText(BytesOf(kSecondText).data(), kSecondText.size()));
        EXPECT_EQ(TokenCallsOf("C_DigestInit").at(0).Arg("mechanism"), "CKM_SHA512");
        const auto signs = TokenCallsOf("C_Sign");
        ASSERT_EQ(signs.size(), 2u);
        EXPECT_EQ(signs[1].Arg("data"), EncodeHexText(second.data(), second.size()));
        ASSERT_EQ(prompt->confirmations.size(), 1u);
        prompt->confirmations.clear();
    }
}

TEST_F(FileSigningTest, A1024BitKeySignsMd5Digests) {
    PrepareKeyedToken(1024);
    const std::vector<std::string> signatures = Split(SignUpload(signer, Joined("\n"), false));
    ASSERT_EQ(signatures.size(), 2u);
    EXPECT_EQ(signatures[0].size(), 256u);
    EXPECT_TRUE(Signs(signatures[0], sim::Digest(sim::TDigest::Md5, BytesOf(kFirstText))));
    EXPECT_TRUE(Signs(signatures[1], sim::Digest(sim::TDigest::Md5, BytesOf(kSecondText))));
    for (const auto& init : TokenCallsOf("C_DigestInit")) {
        EXPECT_EQ(init.Arg("mechanism"), "CKM_MD5");
    }
}

TEST_F(FileSigningTest, TheDeviceHashesWithItsOwnAlgorithm) {
    PrepareCard();
    const OwnedBstr pin = SingleByteBstr(kDevicePin);
    const OwnedBstr content = SingleByteBstr(Joined("\r\n"));
    const OwnedBstr name = SingleByteBstr("upload.txt");
    const OwnedBstr challenge = SingleByteBstr(kChallenge);
    OwnedBstr result;
    signer.SignFileData(pin.Get(), content.Get(), name.Get(), challenge.Get(), result.Put());
    const std::vector<std::string> signatures = Split(ToAnsi(result.Get()));
    EXPECT_EQ(LastError(signer), ZTNoError);
    ASSERT_EQ(signatures.size(), 2u);
    EXPECT_TRUE(Signs(signatures[0], sim::Digest(sim::TDigest::Sha1, BytesOf(kFirstText))));
    EXPECT_TRUE(Signs(signatures[1], sim::Digest(sim::TDigest::Sha1, BytesOf(kSecondText))));
    EXPECT_EQ(HlCallCount("hl_end_hash"), 2u);
}

TEST_F(FileSigningTest, AFailureMidFileKeepsTheSignaturesMadeSoFar) {
    PrepareKeyedToken(1024);
    sims.InjectTokenFault("C_Sign", 0x80000001, 2);
    const std::vector<std::string> signatures = Split(SignUpload(signer, Joined("\n"), true));
    ASSERT_EQ(signatures.size(), 1u);
    EXPECT_TRUE(Signs(signatures[0], sim::Digest(sim::TDigest::Md5, BytesOf(kFirstText))));
    TPKCS11Error rv = ZT_CKR_OK;
    signer.get_PKCS11Error(&rv);
    EXPECT_EQ(LastError(signer), ZTSignRecoverFailed);
    EXPECT_EQ(static_cast<uint32_t>(rv), 0x80000001u);
    EXPECT_FALSE(Canceled(signer));

    sims.InjectTokenFault("C_Digest", CKR_DEVICE_ERROR, 2);
    EXPECT_EQ(Split(SignUpload(signer, Joined("\n"), false)).size(), 1u);
    EXPECT_EQ(LastError(signer), ZTSignRecoverFailed);
}

TEST_F(FileSigningTest, AnEmptySignatureKeepsItsPlaceInTheList) {
    PrepareKeyedToken(1024);
    struct Row {
        const char* name;
        int emptySignatures; // the first ones the driver answers with no bytes
        bool secondSigned;
    };
    const Row rows[] = {{"first signature empty", 1, true}, {"both empty", 2, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sims.EditTokens(
            [&](tokensim::CTokenState& state) { state.emptySignatures = row.emptySignatures; });
        const std::string list = SignUpload(signer, Joined("\n"), false);
        EXPECT_EQ(LastError(signer), ZTNoError);
        // One separator between the two records, whatever they hold.
        ASSERT_EQ(std::count(list.begin(), list.end(), '|'), 1) << list;
        const size_t bar = list.find('|');
        EXPECT_EQ(list.substr(0, bar), "");
        const std::string second = list.substr(bar + 1);
        EXPECT_EQ(!second.empty(), row.secondSigned);
        if (row.secondSigned) {
            EXPECT_TRUE(Signs(second, sim::Digest(sim::TDigest::Md5, BytesOf(kSecondText))));
        }
    }
}

TEST_F(FileSigningTest, NothingReachesTheTokenWithoutAConfirmation) {
    PrepareKeyedToken(1024);
    CZentor decliner(nullptr, std::make_unique<CPromptDouble>(false));
    decliner.put_CardType(1);
    sims.ClearCalls();
    for (const bool asFile : {false, true}) {
        EXPECT_EQ(SignUpload(decliner, Joined("\n"), asFile), "");
        EXPECT_EQ(LastError(decliner), ZTNoError);
        EXPECT_TRUE(Canceled(decliner));
    }
    // A malformed header: the error prompt, no confirmation, no token.
    EXPECT_EQ(SignUpload(signer, "K short\n" + kFirst + "\n", false), "");
    EXPECT_EQ(LastError(signer), ZTUploadFileBinaryNull);
    EXPECT_TRUE(Canceled(signer));
    EXPECT_EQ(prompt->errors.size(), 1u);
    EXPECT_TRUE(sims.TokenCalls().empty());
}

TEST_F(FileSigningTest, FilesOf2GiBOrMoreAreTooLargeWhateverTheirLowBits) {
    PrepareKeyedToken(1024);
    const std::string path = sims.Folder() + "/large.txt";
    const uint64_t sizes[] = {
        2147483647ull,                // the first size refused
        2147483648ull,                // 2 GiB: negative in 32 bits
        (1ull << 32) + kFirst.size(), // its low 32 bits would pass
    };
    for (const uint64_t size : sizes) {
        SCOPED_TRACE(size);
        std::ofstream(path, std::ios::binary) << kFirst << "\n";
        std::filesystem::resize_file(path, size); // sparse: nothing is written
        const OwnedBstr pin = SingleByteBstr(kUserPin);
        const OwnedBstr name = SingleByteBstr(path);
        const OwnedBstr challenge = SingleByteBstr(kChallenge);
        OwnedBstr result;
        sims.ClearCalls();
        signer.SignFile(pin.Get(), name.Get(), challenge.Get(), result.Put());
        EXPECT_EQ(LastError(signer), ZTUploadFileSizeError);
        EXPECT_EQ(ToAnsi(result.Get()), "");
        EXPECT_TRUE(sims.TokenCalls().empty());
    }
    std::filesystem::remove(path);
}

TEST_F(FileSigningTest, UnusableUploadsAreReportedAfterTheConfirmation) {
    PrepareKeyedToken(1024);
    struct Case {
        const char* name;
        std::string content;
        bool asFile;
        TZentorError error;
    };
    const std::vector<Case> cases = {
        {"content line of 498", kHeader + "\n5" + std::string(497, '0') + "\n", false,
         ZTUploadFileSizeError},
        {"empty file", "", true, ZTUploadFileSizeError},
        {"no detail record", kHeader + "\n" + kTrailer + "\n", false, ZTNoError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sims.ClearCalls();
        EXPECT_EQ(SignUpload(signer, c.content, c.asFile), "");
        EXPECT_EQ(LastError(signer), c.error);
        EXPECT_EQ(TokenCallCount("C_Sign"), 0u);
    }
    // A missing file and null content.
    const OwnedBstr pin = SingleByteBstr(kUserPin);
    const OwnedBstr missing = SingleByteBstr(sims.Folder() + "/missing.txt");
    OwnedBstr result;
    signer.SignFile(pin.Get(), missing.Get(), nullptr, result.Put());
    EXPECT_EQ(LastError(signer), ZTUploadFileNotFound);
    signer.SignFileData(pin.Get(), nullptr, missing.Get(), nullptr, result.Put());
    EXPECT_EQ(LastError(signer), ZTUploadFileNotFound);
    EXPECT_FALSE(Canceled(signer));
    // No driver chosen yet.
    CZentor fresh(nullptr, std::make_unique<CPromptDouble>(true));
    fresh.SignFileData(pin.Get(), nullptr, missing.Get(), nullptr, result.Put());
    EXPECT_EQ(LastError(fresh), ZTNoTokenInserted);
    EXPECT_FALSE(Canceled(fresh));
}
