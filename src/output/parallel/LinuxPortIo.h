#pragma once
// Parallel-port registers on Linux. A port the kernel drives (ppdev, /dev/parportN) is
// claimed and written through its device file, which needs only membership of group "lp";
// any other address is written with raw port I/O when this process may do it (ioperm, root
// or CAP_SYS_RAWIO). Without either, writes fail silently.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "output/Devices.h"
#include "output/SystemCalls.h"

namespace zeb {

class LinuxPortIo : public PortIo {
  public:
    explicit LinuxPortIo(std::shared_ptr<SystemCalls> system);

    // Claims every parallel port the kernel lists that nobody holds (keeping those already
    // claimed) and asks for raw port I/O; true when either worked. Nothing is released until
    // destruction.
    bool InitializeWinIo() override;
    // The base of a claimed port goes to its data register, base + 2 to its control register;
    // every other port is written raw when permitted.
    bool SetPortVal(uint16_t port, uint32_t value, int size) override;
    std::string AccessProblem() const override;

  private:
    struct ClaimedPort {
        int number;  // N of /dev/parportN
        uint16_t base;
        UniqueFd fd;
    };

    void ClaimKernelPorts();
    std::optional<uint16_t> BaseAddressOf(const std::string& parportName);
    bool InUseElsewhere(const std::string& parportName);
    bool IsClaimed(int number) const;

    std::shared_ptr<SystemCalls> system_;
    std::vector<ClaimedPort> claimed_;
    bool rawAccess_ = false;
    std::vector<std::string> problems_;  // of the last InitializeWinIo
};

}  // namespace zeb
