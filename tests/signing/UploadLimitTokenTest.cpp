// Through the host's request handling and the real component on a virtual token: an upload
// whose signatures would not fit in the browser's reply gets 711 and reaches neither the
// prompt nor the token's signing; one that fits is reviewed and signed as before.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "host/HostSession.h"
#include "tests/signing/SigningFixture.h"
#include "tests/support/WireMessage.h"

namespace {

struct LimitRow {
    unsigned keyBits;
    size_t records;
    std::string reply; // the whole reply when refused; empty when signed
};

IZentor* g_component = nullptr;

IZentor* BindComponent() {
    return g_component;
}

class UploadLimitTokenTest : public SigningTest, public ::testing::WithParamInterface<LimitRow> {
protected:
    void TearDown() override { g_component = nullptr; }

    std::string Serve(size_t records) {
        std::string content = "K" + std::string(106, '0') + "\\r\\n";
        for (size_t i = 0; i < records; ++i) {
            content += "5123456781234567890AB000000000001050\\r\\n";
        }
        const std::string request = R"({"func":"SignFileData","params":{"pin":")" +
                                    std::string(kUserPin) + R"(","fileContent":")" + content +
                                    R"(","fileName":"pay.txt","challenge":"CH"}})";
        g_component = &signer;
        std::istringstream in(norva::test::Framed(request));
        std::ostringstream out;
        norva::host::ServeOneRequest(in, out, &BindComponent);
        return out.str().substr(4);
    }
};

TEST_P(UploadLimitTokenTest, RefusedUploadsReachNeitherThePromptNorTheSigning) {
    const LimitRow& row = GetParam();
    PrepareKeyedToken(row.keyBits);
    const std::string reply = Serve(row.records);
    if (!row.reply.empty()) {
        EXPECT_EQ(reply, row.reply);
        EXPECT_TRUE(prompt->confirmations.empty());
        EXPECT_EQ(TokenCallCount("C_Sign"), 0u);
        EXPECT_EQ(TokenCallCount("C_Login"), 0u);
        return;
    }
    EXPECT_EQ(reply.rfind(R"({"rc":"0","result":")", 0), 0u) << reply.substr(0, 200);
    EXPECT_EQ(prompt->confirmations.size(), 1u);
    EXPECT_EQ(TokenCallCount("C_Sign"), row.records);
}

INSTANTIATE_TEST_SUITE_P(
    Uploads, UploadLimitTokenTest,
    ::testing::Values(
        LimitRow{
            2048, 2044,
            R"({"rc":"711","errMsg":"Upload too large for the browser","maxRecords":2043,"keyLength":2048})"},
        LimitRow{
            1024, 4080,
            R"({"rc":"711","errMsg":"Upload too large for the browser","maxRecords":4079,"keyLength":1024})"},
        LimitRow{2048, 3, ""}));

} // namespace
