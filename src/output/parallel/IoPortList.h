#pragma once
// The kernel's list of I/O port ranges and who holds them (/proc/ioports), read before raw
// port I/O: a typed address must never let root write to the keyboard controller, the reset
// register or any other device's ports.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zeb {

// A PCI function's class as sysfs gives it ("0x070100"), by its address ("0000:05:00.0").
using PciClassReader = std::function<std::optional<std::string>(const std::string& address)>;

// Why the ports `ports` must not be written raw, for the log line; nothing when the list shows
// each of them free or held by a parallel port. A port is judged by the innermost range that
// holds it: a parallel-port driver's, a PCI bus window with nothing in it, or an unclaimed PCI
// function whose class is a parallel controller pass; any other holder refuses. `listing` is
// the file's text; a listing without addresses (the kernel hides them from a process that may
// not see them) refuses too.
std::optional<std::string> RawPortRefusal(std::string_view listing, std::span<const uint16_t> ports,
                                          const PciClassReader& pciClassOf);

}  // namespace zeb
