#pragma once
// A program the tests start (a private sound server, its command-line tools). The process is
// stopped and reaped when the object goes, also when a test fails half-way.

#include <sys/types.h>

#include <string>
#include <vector>

namespace zeb::testing {

class ChildProcess {
  public:
    // Starts argv[0] (looked up in PATH) with exactly `environment`; its output goes to
    // `outputFile` ("" = discarded).
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                 const std::string& outputFile = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // Waits for it to end by itself; its exit status, or -1 when it did not exit normally.
    int Wait();
    // SIGTERM, then SIGKILL if it has not gone after two seconds; then reaps it.
    void Stop();

    // Runs a program to its end and returns what it wrote to stdout ("" when it failed).
    static std::string Output(const std::vector<std::string>& argv,
                              const std::vector<std::string>& environment);

  private:
    pid_t pid_ = -1;
};

}  // namespace zeb::testing
