#include "bench/Spawn.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace norva::bench {

namespace {

int TempFile() {
    char name[] = "/tmp/norva-bench-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) {
        unlink(name);
    }
    return fd;
}

std::string ReadFrom(int fd) {
    std::string bytes;
    lseek(fd, 0, SEEK_SET);
    char buffer[4096];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

double Milliseconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) * 1000.0 + static_cast<double>(time.tv_usec) / 1000.0;
}

} // namespace

TimedRun RunTimed(const std::string& program, const std::string& input) {
    TimedRun run;
    const int in = TempFile();
    const int out = TempFile();
    if (in < 0 || out < 0 || write(in, input.data(), input.size()) != ssize_t(input.size())) {
        return run;
    }
    lseek(in, 0, SEEK_SET);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    std::string path = program;
    char* arguments[] = {path.data(), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    int status = -1;
    rusage usage{};
    if (posix_spawn(&child, path.c_str(), &actions, nullptr, arguments, environ) == 0) {
        wait4(child, &status, 0, &usage);
    }
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    run.milliseconds = std::chrono::duration<double, std::milli>(end - start).count();
    run.cpuMilliseconds = Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime);
    run.ok = status == 0;
    run.output = ReadFrom(out);
    close(in);
    close(out);
    return run;
}

} // namespace norva::bench
