// NorvaHost counts a token whose module is reached only through the driver mapping, and
// behaves as without the library when the mapping names no usable module. Each request
// runs in a process of its own, as the browser starts it.
#include "tests/drivermap/MappedDriverFixture.h"

#include "tests/support/WireMessage.h"

#include <regex>
#include <sstream>

namespace {

namespace fs = std::filesystem;

enum class Token { Blank, Service, OtherService, FailingInitialize };

struct HostCase {
    const char* what;
    Token token;
    // norva-drivers arguments, commands separated by ';'; @ is the vendor module, # a text
    // file
    const char* mapping;
    // "result/PKCS11Error" of the replies
    const char* tokensCount;
    const char* norvaCount;
    const char* cardType;
    const char* driversInstalled;
};

class MappedHost : public MappedDriverTest, public ::testing::WithParamInterface<HostCase> {
protected:
    // The host and the component installed side by side, far from the module.
    MappedHost() {
        const fs::path app = temp.path() / "app";
        fs::create_directories(app);
        host = app / norva::test::ProgramFile("NorvaHost");
        fs::copy_file(norva::test::ProgramFolder() / norva::test::ProgramFile("NorvaHost"), host);
        const std::string component = norva::test::LibraryFile("NorvaDigitalIDIF");
        fs::copy_file(norva::test::ProgramFolder() / component, app / component);
    }

    void Prepare(Token token) {
        switch (token) {
        case Token::Blank:
            break;
        case Token::Service:
            PrepareToken("Trellmoor");
            break;
        case Token::OtherService:
            PrepareToken("Other bank");
            break;
        case Token::FailingInitialize:
            PrepareToken("Trellmoor");
            sims.InjectTokenFault("C_Initialize", CKR_GENERAL_ERROR);
            break;
        }
    }

    std::string ToolArguments(std::string text) {
        const std::pair<char, fs::path> marks[] = {{'@', vendorModule}, {'#', TextFile()}};
        for (const auto& [mark, path] : marks) {
            const size_t at = text.find(mark);
            if (at != std::string::npos) {
                text.replace(at, 1, "'" + path.string() + "'");
            }
        }
        return text;
    }

    // The reply's result and PKCS11Error as "result/error", or the output when it is no
    // reply.
    std::string Request(const std::string& func) {
        const norva::test::ChildRun run =
            norva::test::RunChild(host, norva::test::Framed(R"({"func":")" + func + R"("})"));
        EXPECT_EQ(run.exitCode, 0) << func;
        std::smatch match;
        static const std::regex reply(R"re("result":"([^"]*)".*"PKCS11Error":([0-9]+))re");
        if (!std::regex_search(run.output, match, reply)) {
            return run.output;
        }
        return match[1].str() + "/" + match[2].str();
    }

    fs::path host;
};

TEST_P(MappedHost, CountsWhatTheMappedModuleShows) {
    const HostCase& c = GetParam();
    Prepare(c.token);
    std::stringstream commands(c.mapping);
    for (std::string command; std::getline(commands, command, ';');) {
        const ToolRun set = Tool(ToolArguments(command));
        ASSERT_EQ(set.exitCode, 0) << set.output;
    }
    EXPECT_EQ(Request("TokensCount"), c.tokensCount) << c.what;
    EXPECT_EQ(Request("NorvaEFTTokensCount"), c.norvaCount) << c.what;
    EXPECT_EQ(Request("CardType"), c.cardType) << c.what;
    EXPECT_EQ(Request("DriversInstalled"), c.driversInstalled) << c.what;
}

// Without a usable library every driver answers CKR_FUNCTION_NOT_SUPPORTED (84). The
// component ignores C_Initialize's answer: a module that fails it still counts as
// installed, and its failure shows in the calls that follow, which find no token.
INSTANTIATE_TEST_SUITE_P(
    Mappings, MappedHost,
    ::testing::Values(
        HostCase{"per user", Token::Service, "set tavlink.dll @", "1/0", "1/0", "1/0", "1/0"},
        HostCase{"system-wide", Token::Service, "set eTpkcs11 @ --system", "1/0", "1/0", "3/0",
                 "1/0"},
        HostCase{"two names, one module", Token::Service, "set tavlink @;set eTpkcs11 @", "1/0",
                 "1/0", "1/0", "1/0"},
        // The one library that shows a token is chosen, even without a service token.
        HostCase{"blank token", Token::Blank, "set tavlink.dll @", "1/0", "0/0", "1/0", "1/0"},
        HostCase{"other label", Token::OtherService, "set tavlink.dll @", "1/0", "0/0", "1/0",
                 "1/0"},
        HostCase{"missing module", Token::Service, "set tavlink.dll /opt/acme/gone.so --force",
                 "0/84", "0/84", "0/84", "0/0"},
        HostCase{"no module", Token::Service, "set tavlink.dll # --force", "0/84", "0/84", "0/84",
                 "0/0"},
        HostCase{"C_Initialize fails", Token::FailingInitialize, "set tavlink.dll @ --force",
                 "0/84", "0/84", "0/84", "1/0"}));

} // namespace
