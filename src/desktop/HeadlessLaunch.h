#pragma once
// `zeb --headless` runs the service binary that sits beside the window's.

namespace zeb {

// The service binary's name, in the folder of the window's binary.
inline constexpr const char* kHeadlessProgram = "zeb-headless";

// Replaces this process with the service binary, passing the same arguments; returns only
// when that fails, with the exit status after a line on stderr.
int ExecHeadless(char* argv[]);

}  // namespace zeb
