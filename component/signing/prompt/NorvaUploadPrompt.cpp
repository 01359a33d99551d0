// The upload prompt on POSIX desktops. The component starts it for each prompt, writes the
// request to its standard input and reads the answer from its standard output; see
// PromptRequest.h. With a display it shows a window; without one it asks on the
// controlling terminal, and with neither it answers Cancel.
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
    UploadPromptMessage message;
    if (!DecodePromptRequest(ReadRequest(), message)) {
        WriteAnswer(IDCANCEL);
        return 1;
    }
    // A prompt needs no accessibility bus; looking for one only delays the window.
    setenv("NO_AT_BRIDGE", "1", 1);
    const int answer = CanShowWindows(argc, argv) ? AskInWindow(ForWindow(message))
                                                  : AskOnTerminal(ForTerminal(message));
    WriteAnswer(answer);
    return 0;
}
