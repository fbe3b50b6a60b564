#include "core/CommandLine.h"

#include <string_view>

namespace zeb {

namespace {

constexpr const char* kUsage =
    "Usage: zeb [--config PATH] [--headless] [--verbose] [--web [ADDRESS:]PORT]\n"
    "           [--web-new-token]\n"
    "Listens to one sound input and switches twelve light channels to it.\n"
    "\n"
    "  --config PATH  read the settings from PATH (the window's save-and-exit button saves\n"
    "                 them there); default: set.ini beside the program, or\n"
    "                 $XDG_CONFIG_HOME/zeb/set.ini when that folder is not writable\n"
    "  --headless     run without a window or display: the sound input, the engine and the\n"
    "                 outputs switched on in the settings; SIGINT, SIGTERM or SIGHUP darken\n"
    "                 the lamps and end it, and the settings are never written\n"
    "  --verbose      log device and capture events (opened, lost, reopened) to stderr\n"
    "  --web [ADDRESS:]PORT\n"
    "                 serve the control page for a phone or browser on PORT of ADDRESS\n"
    "                 (default 127.0.0.1; 0.0.0.0 is every network); the address with its\n"
    "                 access token is printed on stderr\n"
    "  --web-new-token\n"
    "                 give the web page a new access token: addresses given out before stop\n"
    "                 working\n"
    "  --help         show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Environment: ZEB_AUDIO_FILE=FILE.wav listens to a sound file instead of the sound server;\n"
    "ZEB_SIMULATE=DIR writes every lamp output to log files in DIR instead of the hardware.\n";

// "--name VALUE" or "--name=VALUE".
bool IsOption(std::string_view arg, std::string_view name) {
    return arg.starts_with(name) && (arg.size() == name.size() || arg[name.size()] == '=');
}

// The option's value, from the argument itself or the next one (which is then used up); ""
// when there is none.
std::string_view OptionValue(std::string_view arg, std::string_view name, int& i, int argc,
                             const char* const argv[]) {
    if (arg.size() > name.size()) {
        return arg.substr(name.size() + 1);
    }
    return i + 1 < argc ? std::string_view(argv[++i]) : std::string_view();
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const argv[]) {
    CommandLine line;
    for (int i = 1; i < argc && line.error.empty(); ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else if (arg == "--headless") {
            line.headless = true;
        } else if (arg == "--verbose") {
            line.verbose = true;
        } else if (IsOption(arg, "--config")) {
            const std::string_view path = OptionValue(arg, "--config", i, argc, argv);
            if (path.empty()) {
                line.error = "option '--config' needs a file path";
            } else {
                std::error_code ignored;  // a path that cannot be made absolute stays as given
                const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
                line.config = absolute.empty() ? std::filesystem::path(path) : absolute;
            }
        } else if (arg == "--web-new-token") {
            line.webNewToken = true;
        } else if (IsOption(arg, "--web")) {
            const std::string where(OptionValue(arg, "--web", i, argc, argv));
            std::string problem;
            if (where.empty()) {
                line.error = "option '--web' needs a port, as [ADDRESS:]PORT";
            } else if (auto listen = ParseWebListen(where, problem)) {
                line.web = std::move(*listen);
            } else {
                line.error = "option '--web': " + problem;
            }
        } else if (arg.starts_with("-")) {
            line.error = "unrecognized option '" + std::string(arg) + "'";
        } else {
            line.error = "unexpected argument '" + std::string(arg) + "'";
        }
    }
    return line;
}

std::optional<int> AnswerWithoutRunning(const CommandLine& line, std::FILE* out, std::FILE* err) {
    if (!line.error.empty()) {
        std::fprintf(err, "zeb: %s\n%s", line.error.c_str(), kUsage);
        return 2;
    }
    if (line.help) {
        std::fputs(kUsage, out);
        return 0;
    }
    if (line.version) {
        std::fprintf(out, "zeb %s\n", ZEB_VERSION);
        return 0;
    }
    return std::nullopt;
}

}  // namespace zeb
