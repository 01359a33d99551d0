// Uploads whose signatures would not fit in the browser's reply are refused with 711 before
// the component's signing call, so before any prompt. Records are counted by the component's
// own line rules; the token's key length is read only when the default one is exceeded.
#include "host/HostSession.h"
#include "tests/host/CRecordingZentor.h"
#include "tests/support/WireMessage.h"

#include <gmock/gmock.h>
#include <json/writer.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using ::testing::ElementsAre;

namespace norva::test {

namespace {

namespace fs = std::filesystem;

constexpr const char* kCount = "get_NorvaEFTTokensCount";
constexpr const char* kKey = "get_PublicKey";

CRecordingZentor* g_bound = nullptr;

IZentor* BindRecorder() {
    return g_bound;
}

// n lines made of `line`, each followed by `end`.
std::string Lines(size_t n, const std::string& line, const std::string& end = "\n") {
    std::string text;
    for (size_t i = 0; i < n; ++i) {
        text += line + end;
    }
    return text;
}

const std::string kDetail = "5123456781234567890AB000000000001050XYZ";
const std::string kHeader = "K" + std::string(106, '0');

std::string Details(size_t n) {
    return Lines(n, kDetail);
}

std::string Refused(size_t maxRecords, int keyLength) {
    return R"({"rc":"711","errMsg":"Upload too large for the browser","maxRecords":)" +
           std::to_string(maxRecords) + R"(,"keyLength":)" + std::to_string(keyLength) + "}";
}

enum class Key { Read, Empty, Fails };

struct UploadCase {
    const char* what;
    const char* func; // "SignFile" (the upload written to a file) or "SignFileData"
    std::string upload;
    size_t keyDigits; // hexadecimal digits of the token's public key
    Key key;
    std::string refusal; // the expected 711 reply; empty when the signing call is made
    bool readsKey;
};

const std::vector<UploadCase>& Cases() {
    // 400-character lines are read from a file as two lines each, cut after 299 characters;
    // a "5" there makes the second piece a detail record of its own.
    static const std::string kCutLine = "5" + std::string(298, 'x') + "5" + std::string(100, 'y');
    static const std::vector<UploadCase> cases = {
        {"2043 records fit a 2048-bit key", "SignFileData", Details(2043), 512, Key::Read, "",
         false},
        {"2044 records do not", "SignFileData", Details(2044), 512, Key::Read, Refused(2043, 2048),
         true},
        {"2044 records fit a 1024-bit key", "SignFileData", Details(2044), 256, Key::Read, "",
         true},
        {"4079 records fit a 1024-bit key", "SignFileData", Details(4079), 256, Key::Read, "",
         true},
        {"4080 records do not", "SignFileData", Details(4080), 256, Key::Read, Refused(4079, 1024),
         true},
        {"an unreadable key counts as 2048 bits", "SignFileData", Details(2044), 256, Key::Fails,
         Refused(2043, 2048), true},
        {"no key counts as 2048 bits", "SignFileData", Details(2044), 0, Key::Empty,
         Refused(2043, 2048), true},
        {"only detail records count", "SignFileData",
         kHeader + "\r\n" + Lines(2043, kDetail, "\r\n") + Lines(900, "9trailer", "\r\n"), 512,
         Key::Read, "", false},
        {"the character after a CR is dropped", "SignFileData", Lines(2100, kDetail, "\r"), 512,
         Key::Read, "", false},
        {"a file of 2043 records", "SignFile", Details(2043), 512, Key::Read, "", false},
        {"a file of 2044 records", "SignFile", Details(2044), 512, Key::Read, Refused(2043, 2048),
         true},
        {"a file of 4080 records, 1024-bit key", "SignFile", Details(4080), 256, Key::Read,
         Refused(4079, 1024), true},
        {"long lines are cut into records", "SignFile", Lines(1022, kCutLine), 512, Key::Read,
         Refused(2043, 2048), true},
        {"a file that cannot be read is left to the component", "SignFile", "", 512, Key::Read, "",
         false},
    };
    return cases;
}

class UploadLimitTest : public ::testing::TestWithParam<UploadCase> {
protected:
    void SetUp() override {
        g_bound = &zentor;
        // Other builds may run this test at the same time.
        file = fs::temp_directory_path() /
               ("norva-upload-limit-" + std::to_string(std::random_device()()) + ".txt");
    }
    void TearDown() override {
        g_bound = nullptr;
        fs::remove(file);
    }

    std::string Request(const UploadCase& upload) {
        Json::Value params;
        params["pin"] = "592604";
        params["challenge"] = "CH";
        params["fileName"] = "payments.txt";
        if (std::string(upload.func) == "SignFile") {
            if (!upload.upload.empty()) {
                std::ofstream(file, std::ios::binary) << upload.upload;
            }
            params["fileName"] = file.string();
        } else {
            params["fileContent"] = upload.upload;
        }
        Json::Value request;
        request["func"] = upload.func;
        request["params"] = params;
        return Json::writeString(Json::StreamWriterBuilder(), request);
    }

    std::string Serve(const std::string& text) {
        std::istringstream in(Framed(text));
        std::ostringstream out;
        host::ServeOneRequest(in, out, &BindRecorder);
        return out.str().substr(4);
    }

    CRecordingZentor zentor;
    fs::path file;
};

TEST_P(UploadLimitTest, RefusesBeforeTheSigningCallOnlyWhatCannotReachThePage) {
    const UploadCase& upload = GetParam();
    zentor.answers.text = std::u16string(upload.keyDigits, u'A');
    if (upload.key == Key::Fails) {
        zentor.answers.failures[kKey] = E_FAIL;
    }
    const std::string reply = Serve(Request(upload));

    std::vector<std::string> names;
    for (const std::string& call : zentor.calls) {
        names.push_back(call.substr(0, call.find('(')));
    }
    if (!upload.refusal.empty()) {
        EXPECT_EQ(reply, upload.refusal);
        EXPECT_THAT(names, ElementsAre(kCount, kKey));
        return;
    }
    EXPECT_EQ(reply.rfind(R"({"rc":"0","result":")", 0), 0u) << reply.substr(0, 200);
    std::vector<std::string> expected = {kCount};
    if (upload.readsKey) {
        expected.push_back(kKey);
    }
    expected.insert(expected.end(),
                    {upload.func, "get_SignFileCanceled", "get_LastZTError", "get_PKCS11Error"});
    EXPECT_EQ(names, expected);
}

INSTANTIATE_TEST_SUITE_P(Uploads, UploadLimitTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) {
                             std::string name;
                             for (const char c : std::string(info.param.what)) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

} // namespace

} // namespace norva::test
