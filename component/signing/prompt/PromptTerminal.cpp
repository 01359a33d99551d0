#include "component/signing/prompt/PromptTerminal.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>

#include "platform/WinApi.h"

namespace {

// One line typed on the terminal, without its line end; nothing when the channel's other
// end went away first.
std::optional<std::string> ReadAnswer(int terminal, int channel) {
    std::string answer;
    for (;;) {
        pollfd watched[2] = {{terminal, POLLIN, 0}, {channel, 0, 0}};
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if ((watched[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return std::nullopt;
        }
        if (watched[0].revents == 0) {
            continue;
        }
        char c = 0;
        const ssize_t n = read(terminal, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || c == '\n') {
            break;
        }
        answer += c;
    }
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) {
        answer.pop_back();
    }
    return answer;
}

} // namespace

int AskOnTerminal(const DisplayPrompt& prompt, int channel) {
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
    const std::optional<std::string> answer = ReadAnswer(fd, channel);
    std::fclose(terminal);
    if (!answer) {
        return 0;
    }
    if (!prompt.withCancel) {
        return IDOK;
    }
    const bool yes = *answer == "y" || *answer == "Y" || *answer == prompt.okWord;
    return yes ? IDOK : IDCANCEL;
}
