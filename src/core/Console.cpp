#include "core/Console.h"

#include <unistd.h>

#include <cerrno>
#include <string_view>

namespace zeb {

namespace {

constexpr std::string_view kEraseLine = "\r\033[K";

// Writes all of `text`; a full disk or a closed pipe loses the line, nothing more.
void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        text.remove_prefix(static_cast<size_t>(written));
    }
}

}  // namespace

Console::Console(int errorFd, int outputFd) : errorFd_(errorFd) {
    if (::isatty(errorFd) == 1) {
        statusFd_ = errorFd;
    } else if (::isatty(outputFd) == 1) {
        statusFd_ = outputFd;
    }
}

void Console::Line(const std::string& text) {
    // Only a status line on the same stream is in the way: the line goes above it.
    const bool inTheWay = statusShown_ && statusFd_ == errorFd_;
    WriteAll(errorFd_, std::string(inTheWay ? kEraseLine : "") + "zeb: " + text + "\n" +
                           (inTheWay ? status_ : ""));
}

void Console::Status(const std::string& text) {
    if (statusFd_ < 0) {
        return;
    }
    status_ = text;
    WriteAll(statusFd_, std::string(kEraseLine) + status_);
    statusShown_ = true;
}

void Console::EndStatus() {
    if (statusShown_) {
        WriteAll(statusFd_, "\n");
        statusShown_ = false;
    }
}

std::string MessageLine(const std::string& text, const std::string& detail) {
    std::string line;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > start) {
            if (!line.empty()) {
                // A line that ends a sentence needs no other mark before the next.
                line += line.back() == '.' || line.back() == '!' ? " " : "; ";
            }
            line += text.substr(start, end - start);
        }
        start = end + 1;
    }
    if (!detail.empty()) {
        line += " (" + detail + ")";
    }
    return line;
}

ConsoleMessages::ConsoleMessages(Console& console, bool verbose, MessageSink* boxes)
    : console_(console), verbose_(verbose), boxes_(boxes) {}

void ConsoleMessages::ShowMessage(const std::string& text, const std::string& title,
                                  MessageIcon icon, const std::string& detail) {
    console_.Line(MessageLine(text, detail));
    if (boxes_ != nullptr) {
        boxes_->ShowMessage(text, title, icon, detail);
    }
}

void ConsoleMessages::LogEvent(const std::string& event) {
    if (verbose_) {
        console_.Line(event);
    }
}

void ConsoleMessages::Notice(const std::string& line) {
    console_.Line(line);
}

}  // namespace zeb
