#include "output/dmx/OlaDmxLink.h"

#include <ola/Callback.h>
#include <ola/Clock.h>
#include <ola/DmxBuffer.h>
#include <ola/client/OlaClient.h>
#include <ola/io/SelectServer.h>
#include <ola/network/IPV4Address.h>
#include <ola/network/SocketAddress.h>
#include <ola/network/TCPSocket.h>

#include <array>
#include <chrono>
#include <optional>

#include "output/dmx/DmxUniverses.h"

namespace zeb {

namespace {

constexpr std::chrono::milliseconds kConfirmWait{200};

// Each universe whole: slots that are not ours are 0, so moving the start address leaves
// nothing lit behind. The receipt, when asked for, comes with the last universe. `buffer` is
// the connection's own: once it holds a universe, setting the next one allocates nothing.
void SendUniverses(ola::client::OlaClient& client, ola::DmxBuffer& buffer, const DmxFrame& frame,
                   ola::client::GeneralSetCallback* receipt = nullptr) {
    std::array<uint8_t, kDmxUniverseSlots> slots{};
    const size_t count = UniverseCount(frame.patch);
    for (size_t index = 0; index < count; ++index) {
        FillUniverse(frame, index, slots);
        buffer.Set(slots.data(), static_cast<unsigned>(slots.size()));
        const auto universe = static_cast<unsigned>(UsedSlotsOf(frame.patch, index).universe);
        client.SendDMX(universe, buffer,
                       ola::client::SendDMXArgs(index + 1 == count ? receipt : nullptr));
    }
}

}  // namespace

// One connection to olad. Members are destroyed bottom up: the client first, while the flags
// its last callbacks set and the socket it uses still exist.
struct OlaDmxLink::Connection {
    std::unique_ptr<ola::network::TCPSocket> socket;
    // Runs only when asked, on the sender's thread: it notices olad closing the connection
    // and delivers olad's receipts.
    ola::io::SelectServer select;
    bool closed = false;
    bool confirmed = false;
    std::optional<DmxFrame> last;
    ola::DmxBuffer buffer;
    std::unique_ptr<ola::client::OlaClient> client;

    void Closed() { closed = true; }
    void Confirmed(const ola::client::Result& /*result*/) { confirmed = true; }
};

OlaDmxLink::OlaDmxLink(uint16_t rpcPort) : rpcPort_(rpcPort) {}

OlaDmxLink::~OlaDmxLink() = default;

bool OlaDmxLink::Connect() {
    connection_.reset();
    auto connection = std::make_unique<Connection>();
    // Never starts olad: that is the user's business, or the system's.
    connection->socket.reset(ola::network::TCPSocket::Connect(
        ola::network::IPV4SocketAddress(ola::network::IPV4Address::Loopback(), rpcPort_)));
    if (!connection->socket) {
        return false;
    }
    connection->socket->SetNoDelay();
    connection->client = std::make_unique<ola::client::OlaClient>(connection->socket.get());
    if (!connection->client->Setup()) {
        return false;
    }
    connection->client->SetCloseHandler(
        ola::NewSingleCallback(connection.get(), &Connection::Closed));
    connection->select.AddReadDescriptor(connection->socket.get());
    connection_ = std::move(connection);
    return true;
}

bool OlaDmxLink::Send(const DmxFrame& frame) {
    if (!connection_) {
        return false;
    }
    Connection& connection = *connection_;
    connection.select.RunOnce(ola::TimeInterval(0, 0));
    if (!connection.closed) {
        SendUniverses(*connection.client, connection.buffer, frame);
        connection.last = frame;
    }
    // A failed write closes the connection at once.
    return !connection.closed;
}

void OlaDmxLink::Disconnect() {
    if (!connection_) {
        return;
    }
    Connection& connection = *connection_;
    // olad drops a frame that arrives together with the end of the connection. So the last
    // frame goes once more, this time with a receipt, and the connection ends after it.
    if (connection.last && !connection.closed) {
        SendUniverses(*connection.client, connection.buffer, *connection.last,
                      ola::NewSingleCallback(&connection, &Connection::Confirmed));
        const auto deadline = std::chrono::steady_clock::now() + kConfirmWait;
        while (!connection.confirmed && !connection.closed) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                break;
            }
            connection.select.RunOnce(ola::TimeInterval(0, static_cast<int32_t>(left.count())));
        }
    }
    if (!connection.closed) {
        connection.select.RemoveReadDescriptor(connection.socket.get());
    }
    connection_.reset();
}

}  // namespace zeb
