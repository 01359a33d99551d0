// SignFileData over 1,000 and 10,000 detail records on the virtual token with a 2048-bit
// key, in process, with the prompt answered by a double. Prints records per second, the
// PKCS#11 calls per record in the simulator's call log against the calls the algorithm
// prescribes, the 10k/1k time ratio, peak memory above the idle object (also for 1 MB of
// content), and the raw 2048-bit signature rate of libgcrypt, the simulator's crypto
// library, which is the ceiling.
//   FileSigningBench [SMALL LARGE]   (record counts, default 1000 and 10000; Linux; the
//                                     simulators are looked up beside this program)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "component/CZentor.h"
#include "platform/OwnedBstr.h"
#include "testing/common/CallControl.h"
#include "testing/common/Crypto.h"
#include "testing/common/StateFile.h"
#include "testing/support/SimFixture.h"
#include "tests/signing/CPromptDouble.h"
#include "tests/signing/ServiceKey.h"

namespace {

using Clock = std::chrono::steady_clock;

// Calls the algorithm prescribes per detail record after the first: the digest session
// (close the previous session, the token selection's C_GetSlotList, open a session, the
// public key's token selection, answered from the caches with one more C_GetSlotList,
// C_DigestInit, C_Digest), then the signing session (close, C_GetSlotList, open, C_Login,
// the key search of C_FindObjectsInit, C_FindObjects, C_FindObjectsFinal, C_SignInit,
// C_Sign).
constexpr double kPrescribedCalls = 15;

OwnedBstr Bstr(const std::string& text) {
    std::u16string wide(text.begin(), text.end());
    return OwnedBstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                       static_cast<UINT>(wide.size())));
}

// A header, `records` detail records and a trailer; `filler` lines of 400 characters that
// are carried along unsigned bring the content to a chosen size.
std::string Upload(int records, int filler) {
    std::string content = "K" + std::string(105, 'H') + "\r\n";
    for (int i = 0; i < filler; ++i) {
        content += "2" + std::string(399, 'F') + "\r\n";
    }
    char line[64];
    for (int i = 0; i < records; ++i) {
        std::snprintf(line, sizeof line, "5%08d1234567890AB%015dXYZ\r\n", i, i * 105);
        content += line;
    }
    return content + "9trailer\r\n";
}

// Kilobytes of the process's resident set: VmRSS now, or VmHWM, its peak.
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == std::string(field) + ":") {
            status >> value;
            return value;
        }
        std::getline(status, key);
    }
    return -1;
}

// Lets the peak start again from the present resident set.
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Processor time of this process so far, in seconds: on a machine shared with other work
// it shows the cost better than the wall time, which includes waiting for a processor.
double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;
    long peakAboveIdleKb = 0;
    size_t signatures = 0;
    long error = 0;
};

Run SignUpload(CZentor& zentor, const std::string& content) {
    const OwnedBstr pin = Bstr("592604");
    const OwnedBstr name = Bstr("payments.txt");
    const OwnedBstr challenge = Bstr("CH-2026-12-09");
    OwnedBstr text = Bstr(content);
    Run run;
    OwnedBstr result;
    ResetPeak();
    const long idle = StatusKb("VmRSS");
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    zentor.SignFileData(pin.Get(), text.Get(), name.Get(), challenge.Get(), result.Put());
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.cpuSeconds = CpuSeconds() - cpuStart;
    run.peakAboveIdleKb = StatusKb("VmHWM") - idle;
    TZentorError error = ZTNoError;
    zentor.get_LastZTError(&error);
    run.error = error;
    const UINT length = SysStringLen(result.Get());
    for (UINT i = 0; i < length; ++i) {
        run.signatures += result.Get()[i] == '|' ? 1 : 0;
    }
    run.signatures += length > 0 ? 1 : 0;
    return run;
}

struct RawRate {
    double wall = 0;
    double cpu = 0;
};

RawRate RawSignaturesPerSecond() {
    sim::CRsaKey key;
    sim::GenerateRsaKey(2048, {0x01, 0x00, 0x01}, key);
    const sim::Bytes digest(64, 0x5A);
    sim::Bytes signature;
    int count = 0;
    const auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    double elapsed = 0;
    while (elapsed < 3.0) {
        sim::SignPkcs1(key, digest, signature);
        ++count;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    }
    return {count / elapsed, count / (CpuSeconds() - cpuStart)};
}

void SetCallLog(sim::CSimFixture& sims, const std::string& path) {
    sim::CStateFile(sims.TokenStatePath()).Update([&](Json::Value& root) {
        sim::SetCallLog(root, path);
        return true;
    });
}

} // namespace

int main(int argc, char** argv) {
    const int small = argc > 2 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int large = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10000;
    const std::string bin = std::filesystem::absolute(argv[0]).parent_path().string();
    setenv("NORVA_BIN", bin.c_str(), 1);
    sim::CSimFixture sims;
    sims.Install(sim::TSimulator::Token, "tavlink");
    sims.PrepareToken("Trellmoor", "87654321", "592604");
    SetDllDirectoryA(sims.Folder().c_str());
    {
        CTokenAccess access;
        access.UseDriver(1);
        std::vector<uint8_t> modulus;
        if (!MakeServiceKey(access, Bstr("592604").Get(), 2048, modulus)) {
            std::fprintf(stderr, "no key pair could be made on the virtual token\n");
            return 1;
        }
    }
    CZentor zentor(nullptr, std::make_unique<CPromptDouble>(true));
    zentor.put_CardType(1);
    const std::string logPath = sims.Folder() + "/bench-calls.log";

    // Calls per record, from the call log of a run of the smaller upload.
    SetCallLog(sims, logPath);
    SignUpload(zentor, Upload(small, 0));
    std::map<std::string, int> calls;
    size_t total = 0;
    for (const sim::CCallRecord& call : sim::ReadCallLog(logPath)) {
        ++calls[call.function];
        ++total;
    }
    SetCallLog(sims, "");

    // Timed runs without the log.
    const Run smallRun = SignUpload(zentor, Upload(small, 0));
    const Run largeRun = SignUpload(zentor, Upload(large, 0));
    const Run megabyte = SignUpload(zentor, Upload(10, 2600));
    const RawRate raw = RawSignaturesPerSecond();

    const double smallRate = small / smallRun.seconds;
    const double largeRate = large / largeRun.seconds;
    const double ratio = largeRun.seconds / smallRun.seconds;
    std::printf("SignFileData on the virtual token, 2048-bit key\n");
    std::printf("%-44s %12d %12d\n", "records", small, large);
    std::printf("%-44s %12zu %12zu\n", "signatures returned", smallRun.signatures,
                largeRun.signatures);
    std::printf("%-44s %12ld %12ld\n", "LastZTError", smallRun.error, largeRun.error);
    std::printf("%-44s %12.2f %12.2f\n", "seconds", smallRun.seconds, largeRun.seconds);
    std::printf("%-44s %12.1f %12.1f\n", "records per second", smallRate, largeRate);
    std::printf("%-44s %12.1f %12.1f\n", "records per processor second",
                small / smallRun.cpuSeconds, large / largeRun.cpuSeconds);
    std::printf("%-44s %12ld %12ld\n", "peak memory above the idle object (KB)",
                smallRun.peakAboveIdleKb, largeRun.peakAboveIdleKb);
    // Linear time with 5 % slack: 10.5 for ten times the records.
    std::printf("\n%-44s %12.2f   (target <= %.2f)\n", "time ratio large/small", ratio,
                1.05 * large / small);
    std::printf("%-44s %12.1f\n", "raw 2048-bit RSA signatures/s (libgcrypt)", raw.wall);
    std::printf("%-44s %12.1f\n", "raw signatures per processor second", raw.cpu);
    std::printf("%-44s %12.2f   (target >= 0.5)\n", "records/s over raw rate (large)",
                largeRate / raw.wall);
    std::printf("%-44s %12.2f   (target >= 0.5)\n", "the same in processor time",
                large / largeRun.cpuSeconds / raw.cpu);
    std::printf("%-44s %12ld   (target <= 8192; %zu bytes, %zu signatures)\n",
                "peak memory for 1 MB of content (KB)", megabyte.peakAboveIdleKb,
                Upload(10, 2600).size(), megabyte.signatures);
    std::printf("\nPKCS#11 calls per record (call log of the %d-record run)\n", small);
    std::printf("%-44s %12.2f   (prescribed %.0f)\n", "all calls",
                static_cast<double>(total) / small, kPrescribedCalls);
    for (const auto& [function, count] : calls) {
        std::printf("  %-42s %12.2f\n", function.c_str(), static_cast<double>(count) / small);
    }
    return 0;
}
