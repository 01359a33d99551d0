// Starting one program with a prepared standard input, timing it from start to exit.
#pragma once

#include <string>

namespace norva::bench {

struct TimedRun {
    double milliseconds = 0;
    // Processor time (user and system) of the program itself: on a busy machine it shows the
    // cost of a start better than the wall time, which includes waiting for a processor.
    double cpuMilliseconds = 0;
    std::string output;
    bool ok = false;
};

// Runs program with input on standard input (prepared before the clock starts) and returns
// the wall time from starting it to having reaped it.
TimedRun RunTimed(const std::string& program, const std::string& input);

} // namespace norva::bench
