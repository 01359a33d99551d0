// The upload prompt on POSIX desktops. The component starts it for each prompt, writes the
// request to its standard input and reads the answer from its standard output; see
// PromptRequest.h. With a display it shows a window; without one it asks on the
// controlling terminal, and with neither it answers Cancel. When the component's end of the
// channel closes (its process ended, killed by a browser that gave up) the prompt closes and
// the program ends without an answer, which the component would count as Cancel.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "component/promptwire/PromptRequest.h"
#include "component/signing/prompt/PromptTerminal.h"
#include "component/signing/prompt/PromptWindow.h"

namespace {

std::string ReadRequest() {
    std::string bytes;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(STDIN_FILENO, buffer, sizeof buffer)) != 0) {
        if (n < 0) {
            return std::string();
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
}

void WriteAnswer(int answer) {
    const std::string bytes = EncodePromptAnswer(answer);
    (void)!write(STDOUT_FILENO, bytes.data(), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    // An answer written after the component went away fails quietly instead of ending us.
    std::signal(SIGPIPE, SIG_IGN);
    UploadPromptMessage message;
    if (!DecodePromptRequest(ReadRequest(), message)) {
        WriteAnswer(IDCANCEL);
        return 1;
    }
    // A prompt needs no accessibility bus; looking for one only delays the window.
    setenv("NO_AT_BRIDGE", "1", 1);
    const int answer = CanShowWindows(argc, argv)
                           ? AskInWindow(ForWindow(message), STDOUT_FILENO)
                           : AskOnTerminal(ForTerminal(message), STDOUT_FILENO);
    if (answer == 0) {
        return 2;
    }
    WriteAnswer(answer);
    return 0;
}
