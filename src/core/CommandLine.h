#pragma once
// The program's command line, the same for the window and the headless service:
//   zeb [--config PATH] [--headless] [--verbose] [--web [ADDRESS:]PORT] [--web-new-token]
//   zeb --help    zeb --version

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "core/WebListen.h"

namespace zeb {

struct CommandLine {
    bool help = false;
    bool version = false;
    bool headless = false;
    bool verbose = false;
    // The settings file to load and save instead of the usual one, made absolute.
    std::optional<std::filesystem::path> config;
    // The web page switched on, listening there (the settings' [Web] section otherwise).
    std::optional<WebListen> web;
    // A fresh access token for the web page: every address given out before stops working.
    bool webNewToken = false;
    // Set when the line is not understood: what is wrong with it.
    std::string error;
};

CommandLine ParseCommandLine(int argc, const char* const argv[]);

// Answers --help and --version on `out` and a line that is not understood with the usage on
// `err`; returns the exit status when the program has nothing more to do (0, or 2 for a wrong
// line), nothing when it should run.
std::optional<int> AnswerWithoutRunning(const CommandLine& line, std::FILE* out, std::FILE* err);

}  // namespace zeb
