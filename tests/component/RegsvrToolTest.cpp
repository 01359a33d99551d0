// norva-regsvr: its exit codes, and that it registers and unregisters the component.
#include <gtest/gtest.h>

#include "RegistryReading.h"
#include "RunProgram.h"
#include "tests/support/ChildProcess.h"

namespace {

const std::string kInprocKey = "CLSID\\{D41D9EE8-7F0B-488D-B8C4-5A1526BE3478}\\InprocServer32";

int Regsvr(const std::vector<std::string>& arguments) {
    const auto tool = norva::test::ProgramFolder() / norva::test::ProgramFile("norva-regsvr");
    return norva::test::RunProgram(tool.string(), arguments);
}

TEST(RegsvrTool, WithoutALibraryItShowsUsage) {
    EXPECT_EQ(2, Regsvr({}));
    EXPECT_EQ(2, Regsvr({"-u"}));
    EXPECT_EQ(2, Regsvr({"a.dll", "b.dll"}));
}

TEST(RegsvrTool, AMissingLibraryIsCodeThree) {
    EXPECT_EQ(3, Regsvr({"NoSuchLibrary.dll"}));
}

TEST(RegsvrTool, ALibraryWithoutTheEntryPointIsCodeFour) {
    EXPECT_EQ(4, Regsvr({"platform_testlib.dll"}));
}

TEST(RegsvrTool, AFailingRegistrationIsCodeFive) {
    EXPECT_EQ(5, Regsvr({"component_failing_server.dll"}));
}

TEST(RegsvrTool, RegistersAndUnregistersTheComponent) {
    ASSERT_EQ(0, Regsvr({"NorvaDigitalIDIF.dll"}));
    const std::optional<std::string> path = norva::test::ReadText(kInprocKey);
    ASSERT_TRUE(path.has_value());
    EXPECT_NE(std::string::npos, path->find("NorvaDigitalIDIF"));
    EXPECT_EQ(0, Regsvr({"-u", "NorvaDigitalIDIF.dll"}));
    EXPECT_FALSE(norva::test::KeyExists(kInprocKey));
}

} // namespace
