// Runs a program with arguments and waits for its exit code.
#pragma once

#include <string>
#include <vector>

namespace norva::test {

// The exit code, or -1 when the program could not be started. A program given without a
// folder is looked up on the search path.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments);

} // namespace norva::test
