#pragma once
// The DMX link through OLA's client library: a connection to olad's RPC port on this computer.
// olad passes each universe on to the Art-Net, sACN or USB widget port patched to it.

#include <cstdint>
#include <memory>

#include "output/Devices.h"

namespace zeb {

class OlaDmxLink final : public DmxLink {
  public:
    explicit OlaDmxLink(uint16_t rpcPort);
    ~OlaDmxLink() override;

    bool Connect() override;
    // Streams the frame without waiting for olad.
    bool Send(const DmxFrame& frame) override;
    // Waits (at most a fifth of a second) until olad confirms the last frame, then closes.
    void Disconnect() override;

  private:
    struct Connection;

    uint16_t rpcPort_;
    std::unique_ptr<Connection> connection_;
};

}  // namespace zeb
