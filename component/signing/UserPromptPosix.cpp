// The prompt on POSIX: our prompt program, installed beside the module that holds this
// code, started for each prompt and waited for as long as the person takes. The request
// travels over a socket that is the program's standard input and output, never over the
// streams of the calling process (a native-messaging host's carry its protocol).
#include "component/signing/CUserPrompt.h"

#include <cerrno>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "component/promptwire/PromptRequest.h"
#include "platform/posix/Utf8.h"

extern char** environ;

namespace {

constexpr char kPromptProgram[] = "NorvaUploadPrompt";

// The folder of the library (or program) this code was linked into, with a slash.
std::string ModuleFolder() {
    HMODULE module = nullptr;
    const auto* anchor = reinterpret_cast<LPCWSTR>(&ShowPromptDialog);
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            anchor, &module)) {
        return std::string();
    }
    std::u16string path(4096, u'\0');
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) {
        return std::string();
    }
    path.resize(length);
    const std::string file = norva::ToUtf8(path);
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

bool SendAll(int socket, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        // No SIGPIPE when the program has gone: that would end the calling process.
        const ssize_t n = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Everything until the program closes its end, which it does when it ends.
std::string ReceiveAll(int socket) {
    std::string bytes;
    char buffer[256];
    for (;;) {
        const ssize_t n = recv(socket, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || bytes.size() > sizeof buffer) {
            return bytes;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

void Reap(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

pid_t StartProgram(const std::string& path, int programSocket) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return -1;
    }
    posix_spawn_file_actions_adddup2(&actions, programSocket, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, programSocket, STDOUT_FILENO);
    // Nothing else of the calling process (driver handles, its own streams) is passed on.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t child = -1;
    if (posix_spawn(&child, path.c_str(), &actions, nullptr, argv, environ) != 0) {
        child = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

} // namespace

int ShowPromptDialog(const UploadPromptMessage& message) {
    const std::string folder = ModuleFolder();
    if (folder.empty()) {
        return 0;
    }
    int sockets[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        return 0;
    }
    // A missing program is an unanswered prompt, so the file is not signed.
    const pid_t child = StartProgram(folder + kPromptProgram, sockets[1]);
    close(sockets[1]);
    if (child < 0) {
        close(sockets[0]);
        return 0;
    }
    int answer = 0;
    if (SendAll(sockets[0], EncodePromptRequest(message)) && shutdown(sockets[0], SHUT_WR) == 0) {
        answer = DecodePromptAnswer(ReceiveAll(sockets[0]));
    }
    close(sockets[0]);
    Reap(child);
    return answer;
}
