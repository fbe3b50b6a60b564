// The page's server on the program's thread: a change is carried out by the program's handler
// and answered, a renewed token ends the open streams, and a state request without an open page
// waits for the next frame. Real sockets on loopback; clients on threads of their own, the
// test's own thread plays the program's loop.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "web/WebServer.h"

namespace zeb {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kToken = "00112233445566778899aabbccddeeff";

// One request on a fresh connection; what the server sends until it closes (or `stopAt` is
// in what came).
std::string Exchange(uint16_t port, const std::string& request, const std::string& stopAt = {}) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
        char buffer[4096];
        ssize_t got = 0;
        while ((stopAt.empty() || answer.find(stopAt) == std::string::npos) &&
               (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
            answer.append(buffer, static_cast<size_t>(got));
        }
    }
    ::close(fd);
    return answer;
}

std::string Request(uint16_t port, const std::string& method, const std::string& path,
                    const std::string& body = {}, const std::string& token = kToken) {
    return method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\nCookie: zeb_token=" + token +
           "\r\nConnection: close\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           body;
}

// The program's loop: serves whenever the server's descriptor is readable, until `done`.
template <typename Done>
void ServeUntil(WebServer& server, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        pollfd readable{server.Fd(), POLLIN, 0};
        ::poll(&readable, 1, 10);
        server.Serve();
    }
}

template <typename T>
bool Ready(const std::future<T>& future) {
    return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

struct Carried {
    std::vector<WebChange> changes;
    std::vector<std::thread::id> threads;
};

std::unique_ptr<WebServer> Started(Carried& carried) {
    return std::make_unique<WebServer>(WebListen{"127.0.0.1", 0},
                                       std::vector<std::string>{"127.0.0.1"}, kToken,
                                       [&carried](const WebChange& change) {
                                           carried.changes.push_back(change);
                                           carried.threads.push_back(std::this_thread::get_id());
                                           return WebReply{200, R"({"ok":true})", {}};
                                       });
}

TEST(WebServerTest, AChangeIsCarriedOutOnTheProgramsThreadAndAnswered) {
    Carried carried;
    auto server = Started(carried);
    const uint16_t port = server->Port();
    auto answer = std::async(std::launch::async, [port] {
        return Exchange(port, Request(port, "POST", "/change", R"({"do":"gain","value":3})"));
    });
    ServeUntil(*server, [&] { return Ready(answer); });
    const std::string reply = answer.get();
    EXPECT_THAT(reply, StartsWith("HTTP/1.1 200"));
    EXPECT_THAT(reply, HasSubstr(R"({"ok":true})"));
    ASSERT_EQ(carried.changes.size(), 1U);
    EXPECT_EQ(carried.changes[0].kind, WebChange::Kind::Gain);
    EXPECT_EQ(carried.changes[0].number, 3);
    EXPECT_EQ(carried.threads[0], std::this_thread::get_id());

    // Refused by the server: nothing reaches the program.
    auto refused = std::async(std::launch::async, [port] {
        return Exchange(port, Request(port, "POST", "/change", R"({"do":"gain","value":255})"));
    });
    ServeUntil(*server, [&] { return Ready(refused); });
    EXPECT_THAT(refused.get(), HasSubstr("400"));
    EXPECT_EQ(carried.changes.size(), 1U);
}

TEST(WebServerTest, ARenewedTokenEndsTheOpenStreamsAndShutsTheOldOneOut) {
    Carried carried;
    auto server = Started(carried);
    const uint16_t port = server->Port();
    auto stream = std::async(std::launch::async,
                             [port] { return Exchange(port, Request(port, "GET", "/events")); });
    // The stream is open once a page waits for frames.
    ServeUntil(*server, [&] { return server->WantsFrames(); });
    ASSERT_TRUE(server->WantsFrames());
    server->Publish(R"({"live":true})", R"({"frame":1})");
    server->SetToken("ffeeddccbbaa99887766554433221100");
    ServeUntil(*server, [&] { return Ready(stream); });
    EXPECT_THAT(stream.get(), HasSubstr(R"(data: {"frame":1})"));
    EXPECT_FALSE(server->WantsFrames());

    auto old = std::async(std::launch::async,
                          [port] { return Exchange(port, Request(port, "GET", "/state")); });
    ServeUntil(*server, [&] { return Ready(old); });
    EXPECT_THAT(old.get(), StartsWith("HTTP/1.1 401"));
}

TEST(WebServerTest, AStateRequestWithoutAnOpenPageGetsTheNextFrame) {
    Carried carried;
    auto server = Started(carried);
    const uint16_t port = server->Port();
    server->Publish(R"({"live":true})",
                    R"({"frame":1})");  // kept, but old by the time the request comes
    auto state = std::async(std::launch::async,
                            [port] { return Exchange(port, Request(port, "GET", "/state")); });
    ServeUntil(*server, [&] { return server->WantsFrames(); });
    ASSERT_TRUE(server->WantsFrames());
    EXPECT_FALSE(Ready(state));
    server->Publish(R"({"live":true})", R"({"frame":2})");
    ServeUntil(*server, [&] { return Ready(state); });
    const std::string reply = state.get();
    EXPECT_THAT(reply, StartsWith("HTTP/1.1 200"));
    EXPECT_THAT(reply, HasSubstr(R"({"frame":2})"));
    EXPECT_FALSE(server->WantsFrames());
}

}  // namespace
}  // namespace zeb
