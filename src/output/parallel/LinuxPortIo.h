#pragma once
// Parallel-port registers on Linux. A port the kernel drives (ppdev, /dev/parportN) is
// claimed and written through its device file, which needs only membership of group "lp";
// any other address is written with raw port I/O when this process may do it (ioperm, root
// or CAP_SYS_RAWIO), asked for exactly that port's three registers and refused where the
// kernel lists another device. Without either, writes fail silently.

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
    // claimed). A `base` that is none of them gets raw port I/O for base .. base + 2, unless
    // /proc/ioports lists a device other than a parallel port there. True when the port at
    // `base` can be written (without a base: when some port was claimed). Nothing is released
    // until destruction.
    bool InitializeWinIo(std::optional<uint16_t> base) override;
    // The base of a claimed port goes to its data register, base + 2 to its control register;
    // a register of a port granted raw I/O is written raw; nothing else is written.
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
    bool IsClaimedBase(uint16_t base) const;
    // Raw port I/O for the port at `base`; true when granted now or before.
    bool GrantRawAccess(uint16_t base);
    bool IsRawPort(uint16_t port) const;

    std::shared_ptr<SystemCalls> system_;
    std::vector<ClaimedPort> claimed_;
    std::vector<uint16_t> rawBases_;     // ports granted raw I/O, by base address
    std::vector<std::string> problems_;  // of the last InitializeWinIo
};

}  // namespace zeb
