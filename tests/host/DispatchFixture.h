// Runs protocol commands in-process against the recording test double.
#pragma once

#include "host/HostError.h"
#include "host/CommandTable.h"
#include "tests/host/CRecordingZentor.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace norva::test {

// JSON text to a value; "null" gives the null value that stands for absent "params".
Json::Value JsonOf(const std::string& text);

class DispatchFixture : public ::testing::Test {
protected:
    // Runs func with params given as JSON text; fails the test when a host code is raised.
    host::CommandResult Run(const std::string& func, const std::string& params = "null");
    // Runs func and returns the host code it raises, or 0 when it raises none.
    int RaisedCode(const std::string& func, const std::string& params = "null");
    const std::vector<std::string>& Calls() const { return zentor.calls; }

    CRecordingZentor zentor;
};

} // namespace norva::test
