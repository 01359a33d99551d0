#include "component/signing/prompt/PromptTerminal.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "platform/WinApi.h"

namespace {

std::string ReadAnswer(FILE* terminal) {
    std::string answer;
    for (int c = std::fgetc(terminal); c != EOF && c != '\n'; c = std::fgetc(terminal)) {
        answer += static_cast<char>(c);
    }
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) {
        answer.pop_back();
    }
    return answer;
}

} // namespace

int AskOnTerminal(const DisplayPrompt& prompt) {
    const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return IDCANCEL;
    }
    FILE* terminal = fdopen(fd, "r+");
    if (terminal == nullptr) {
        close(fd);
        return IDCANCEL;
    }
    std::fprintf(terminal, "\n%s\n\n%s\n\n", prompt.caption.c_str(), prompt.text.c_str());
    if (prompt.withCancel) {
        std::fprintf(terminal, "%s [y] / %s [n]: ", prompt.okWord.c_str(),
                     prompt.cancelWord.c_str());
    } else {
        std::fprintf(terminal, "%s [Enter]", prompt.okWord.c_str());
    }
    std::fflush(terminal);
    const std::string answer = ReadAnswer(terminal);
    std::fclose(terminal);
    if (!prompt.withCancel) {
        return IDOK;
    }
    const bool yes = answer == "y" || answer == "Y" || answer == prompt.okWord;
    return yes ? IDOK : IDCANCEL;
}
