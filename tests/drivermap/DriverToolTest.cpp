// norva-drivers: its probe shows a module's slots and tokens as the component counts
// them and says what is wrong with a module it cannot use; list, set and clear keep the
// mapping per user and system-wide.
#include "tests/drivermap/MappedDriverFixture.h"

namespace {

namespace fs = std::filesystem;

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

using DriverTool = MappedDriverTest;

struct ProbeCase {
    const char* what;
    void (*prepare)(sim::CSimFixture&);
    std::vector<std::string> expectedLines;
    std::vector<std::string> absentLines;
};

class ProbeSimulator : public MappedDriverTest, public ::testing::WithParamInterface<ProbeCase> {};

void LabelFirst(sim::CSimFixture& sims, const std::string& label) {
    sims.PrepareToken(label, "87654321", "1234");
}

TEST_P(ProbeSimulator, ShowsSlotsAndTokensAsTheComponentCountsThem) {
    const ProbeCase& c = GetParam();
    if (c.prepare != nullptr) {
        c.prepare(sims);
    }
    const ToolRun run = Tool("probe " + Quoted(vendorModule));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const std::string& line : c.expectedLines) {
        EXPECT_NE(run.output.find(line + "\n"), std::string::npos)
            << c.what << ": no line \"" << line << "\" in\n"
            << run.output;
    }
    for (const std::string& text : c.absentLines) {
        EXPECT_EQ(run.output.find(text), std::string::npos) << c.what << ":\n" << run.output;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, ProbeSimulator,
    ::testing::Values(
        ProbeCase{"blank token",
                  nullptr,
                  {"slots: 1", "tokens counted: 1 (service tokens: 0)"},
                  {", service token"}},
        ProbeCase{"service token",
                  [](sim::CSimFixture& s) { LabelFirst(s, "Trellmoor"); },
                  {"  token \"Trellmoor\", service token - counted",
                   "tokens counted: 1 (service tokens: 1)"},
                  {}},
        ProbeCase{"token of another service",
                  [](sim::CSimFixture& s) { LabelFirst(s, "  Other bank"); },
                  {"  token \"Other bank\" - counted", "tokens counted: 1 (service tokens: 0)"},
                  {", service token"}},
        ProbeCase{"software slot only",
                  [](sim::CSimFixture& s) {
                      LabelFirst(s, "Trellmoor");
                      s.EditTokens([](tokensim::CTokenState& state) {
                          state.readers.at(0).hardware = false;
                      });
                  },
                  {"  token \"Trellmoor\", service token - not counted: software slot",
                   "only software slots hold tokens: the component counts tokens in hardware "
                   "slots only",
                   "tokens counted: 0 (service tokens: 0)"},
                  {}},
        ProbeCase{"empty reader beside a token",
                  [](sim::CSimFixture& s) {
                      LabelFirst(s, "Trellmoor");
                      s.EditTokens([](tokensim::CTokenState& state) {
                          state.AddReader("Acme Reader").present = false;
                      });
                  },
                  {"slots: 2", "(hardware, no token)", "tokens counted: 1 (service tokens: 1)"},
                  {}},
        ProbeCase{"no reader",
                  [](sim::CSimFixture& s) {
                      s.EditTokens([](tokensim::CTokenState& state) { state.readers.clear(); });
                  },
                  {"slots: 0", "tokens counted: 0 (service tokens: 0)"},
                  {"software"}}));

TEST_F(DriverTool, ProbeSaysWhatIsWrongWithAModule) {
    const fs::path device = temp.path() / "opt" / "acme" / "lib" / "libacmehl.so";
    InstallLibrary("libhlsim.so", device);
    const struct {
        fs::path module;
        int exitCode;
        std::string message;
    } cases[] = {
        {temp.path() / "nothing.so", 3, "nothing.so: no such file"},
        {TextFile(), 4, "README: not a loadable library"},
        {device, 4, "libacmehl.so: not a PKCS#11 module: it does not export C_GetFunctionList"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Tool("probe " + Quoted(c.module));
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    }
    sims.InjectTokenFault("C_Initialize", CKR_DEVICE_ERROR);
    const ToolRun run = Tool("probe " + Quoted(vendorModule));
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_NE(run.output.find("C_Initialize failed (0x00000030)"), std::string::npos) << run.output;
}

// OpenSC's module from Debian's opensc-pkcs11, on a machine without a smart-card reader.
TEST_F(DriverTool, ProbeLoadsOpenScsModuleAndFindsNoReader) {
    const fs::path candidates[] = {"/usr/lib/x86_64-linux-gnu/opensc-pkcs11.so",
                                   "/usr/lib/x86_64-linux-gnu/pkcs11/opensc-pkcs11.so"};
    const auto found = std::find_if(std::begin(candidates), std::end(candidates),
                                    [](const fs::path& path) { return fs::exists(path); });
    ASSERT_NE(found, std::end(candidates)) << "opensc-pkcs11 is not installed (scripts/setup.sh)";
    const ToolRun run = Tool("probe " + Quoted(*found));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("by \"OpenSC Project\""), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("slots: 0\nno reader"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("tokens counted: 0"), std::string::npos) << run.output;
}

TEST_F(DriverTool, SetListAndClearKeepTheMappingPerScope) {
    const std::string module = vendorModule.string();
    const struct {
        std::string arguments;
        int exitCode;
        std::string output; // text the output must hold
    } steps[] = {
        {"list", 0, "tavlink.dll: not mapped (found by the library search, as libtavlink.so)"},
        {"set eTpkcs11 " + Quoted(vendorModule) + " --system", 0,
         "eTpkcs11.dll: " + module + " (system-wide)"},
        {"set TAVLINK " + Quoted(vendorModule), 0, "tavlink.dll: " + module + " (per user)"},
        {"list", 0, "tavlink.dll: " + module + " (per user; module found)"},
        {"list", 0, "eTpkcs11.dll: " + module + " (system-wide; module found)"},
        {"set eTpkcs11.dll /opt/acme/gone.so", 3, "nothing stored (--force stores it anyway)"},
        {"set eTpkcs11.dll /opt/acme/gone.so --force", 0, "eTpkcs11.dll: /opt/acme/gone.so"},
        {"list", 0,
         "eTpkcs11.dll: /opt/acme/gone.so (per user; MODULE MISSING: the driver is "
         "absent)"},
        {"list", 0, "  overrides the system-wide entry " + module},
        {"set brevo32.dll " + Quoted(vendorModule), 4, "not an hl_* driver: it does not export"},
        {"set acme.dll " + Quoted(vendorModule), 2, "unknown driver \"acme.dll\""},
        {"clear eTpkcs11.dll", 0, "eTpkcs11.dll: per user entry cleared"},
        {"list", 0, "eTpkcs11.dll: " + module + " (system-wide; module found)"},
        {"clear --all --system", 0, "brevo32.dll: no system-wide entry"},
        {"list", 0, "eTpkcs11.dll: not mapped (found by the library search, as libeTpkcs11.so)"},
        {"clear tavlink.dll", 0, "tavlink.dll: per user entry cleared"},
        {"probe", 2, "usage: norva-drivers list"},
        {"list --bogus", 2, "usage: norva-drivers list"},
    };
    for (const auto& step : steps) {
        const ToolRun run = Tool(step.arguments);
        EXPECT_EQ(run.exitCode, step.exitCode) << step.arguments << ":\n" << run.output;
        EXPECT_NE(run.output.find(step.output), std::string::npos) << step.arguments << ":\n"
                                                                   << run.output;
    }
}

} // namespace
