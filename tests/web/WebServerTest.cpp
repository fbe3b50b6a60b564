// The page's server and the program's thread: a change travels to the program's thread and
// its answer back, a renewed token ends the open streams, and an ending program answers the
// changes still waiting. Real sockets on loopback; the test's own thread plays the program.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <memory>
#include <string>

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

bool ChangesWait(WebServer& server) {
    pollfd readable{server.ChangesFd(), POLLIN, 0};
    return ::poll(&readable, 1, 5000) == 1;
}

std::unique_ptr<WebServer> Started() {
    return std::make_unique<WebServer>(WebListen{"127.0.0.1", 0},
                                       std::vector<std::string>{"127.0.0.1"}, kToken);
}

TEST(WebServerTest, AChangeIsCarriedOutOnTheProgramsThreadAndAnswered) {
    auto server = Started();
    const uint16_t port = server->Port();
    auto answer = std::async(std::launch::async, [port] {
        return Exchange(port, Request(port, "POST", "/change", R"({"do":"gain","value":3})"));
    });
    ASSERT_TRUE(ChangesWait(*server));
    auto changes = server->TakeChanges();
    ASSERT_EQ(changes.size(), 1U);
    EXPECT_EQ(changes[0].change.kind, WebChange::Kind::Gain);
    EXPECT_EQ(changes[0].change.number, 3);
    changes[0].reply.set_value({200, R"({"ok":true})", {}});
    const std::string reply = answer.get();
    EXPECT_THAT(reply, StartsWith("HTTP/1.1 200"));
    EXPECT_THAT(reply, HasSubstr(R"({"ok":true})"));

    // Refused on the server's thread: nothing reaches the program's.
    EXPECT_THAT(Exchange(port, Request(port, "POST", "/change", R"({"do":"gain","value":255})")),
                HasSubstr("400"));
    EXPECT_TRUE(server->TakeChanges().empty());
}

TEST(WebServerTest, ARenewedTokenEndsTheOpenStreamsAndShutsTheOldOneOut) {
    auto server = Started();
    const uint16_t port = server->Port();
    auto stream = std::async(std::launch::async,
                             [port] { return Exchange(port, Request(port, "GET", "/events")); });
    // The stream is open once a page waits for frames.
    for (int i = 0; i < 500 && !server->WantsFrames(); ++i) {
        ::usleep(10'000);
    }
    ASSERT_TRUE(server->WantsFrames());
    server->Publish(R"({"frame":1})");
    ::usleep(100'000);
    server->SetToken("ffeeddccbbaa99887766554433221100");
    EXPECT_THAT(stream.get(), HasSubstr(R"(data: {"frame":1})"));
    EXPECT_THAT(Exchange(port, Request(port, "GET", "/state")), StartsWith("HTTP/1.1 401"));
}

TEST(WebServerTest, AnEndingProgramAnswersTheChangesStillWaiting) {
    auto server = Started();
    const uint16_t port = server->Port();
    auto answer = std::async(std::launch::async, [port] {
        return Exchange(port, Request(port, "POST", "/change", R"({"do":"save"})"));
    });
    ASSERT_TRUE(ChangesWait(*server));
    server.reset();
    EXPECT_THAT(answer.get(), StartsWith("HTTP/1.1 503"));
}

}  // namespace
}  // namespace zeb
