// Cold-start latency of one "HostVersion" exchange through NorvaHost, against the floor of a
// minimal C host, measured in interleaved rounds so both see the same machine load.
//   ColdStart [rounds]   (default 200; the programs are looked up beside this one)
#include "bench/Spawn.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

using norva::bench::RunTimed;
using norva::bench::TimedRun;

std::string Framed(const std::string& text) {
    const uint32_t length = static_cast<uint32_t>(text.size());
    std::string bytes(sizeof length, '\0');
    std::memcpy(bytes.data(), &length, sizeof length);
    return bytes + text;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Samples {
    const char* name;
    std::string program;
    std::vector<double> wall;
    std::vector<double> cpu;

    // One timed exchange; false when the reply is not the expected one.
    bool Take(const std::string& request, const std::string& expected) {
        const TimedRun run = RunTimed(program, request);
        if (!run.ok || run.output != expected) {
            std::fprintf(stderr, "%s gave an unexpected reply\n", name);
            return false;
        }
        wall.push_back(run.milliseconds);
        cpu.push_back(run.cpuMilliseconds);
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const std::filesystem::path folder = std::filesystem::absolute(argv[0]).parent_path();
    Samples host{"NorvaHost", (folder / "NorvaHost").string(), {}, {}};
    Samples floor{"floor", (folder / "NorvaFloorHost").string(), {}, {}};
    const std::string request = Framed(R"({"func":"HostVersion"})");
    const std::string expected = Framed(R"({"rc":"0","result":"1.0.0.0","LastZTError":0,)"
                                        R"("PKCS11Error":0,"SignFileCanceled":0})");
    // One untimed run of each warms the file cache: the figure is process start, not disk.
    if (!host.Take(request, expected) || !floor.Take(request, expected)) {
        return 1;
    }
    host.wall.clear();
    host.cpu.clear();
    floor.wall.clear();
    floor.cpu.clear();
    for (int round = 0; round < rounds; ++round) {
        Samples& first = round % 2 == 0 ? host : floor;
        Samples& second = round % 2 == 0 ? floor : host;
        if (!first.Take(request, expected) || !second.Take(request, expected)) {
            return 1;
        }
    }
    const double hostWall = Median(host.wall);
    const double floorWall = Median(floor.wall);
    const double hostCpu = Median(host.cpu);
    const double floorCpu = Median(floor.cpu);
    std::printf("rounds %d (interleaved)\n", rounds);
    std::printf("wall  NorvaHost %.3f ms  floor %.3f ms  ratio %.2f\n", hostWall, floorWall,
                hostWall / floorWall);
    std::printf("cpu   NorvaHost %.3f ms  floor %.3f ms  ratio %.2f\n", hostCpu, floorCpu,
                hostCpu / floorCpu);
    return 0;
}
