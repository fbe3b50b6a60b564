#pragma once
// The page's HTTP server (libmicrohttpd, a thread per connection). It answers on its own
// threads and touches nothing of the program: a change travels through a queue to the
// program's thread, which carries it out and answers; the state comes back as frames the
// program's thread publishes after its engine ticks, and every open page gets the newest one.
//
//   GET  /, /page.css, /page.js   the page (from memory)
//   GET  /state                   the newest state, JSON
//   GET  /events                  the state at every engine tick (Server-Sent Events)
//   POST /change                  one change (WebChange.h), JSON in and out
//
// Every request needs the token (the address's "token" argument or the cookie it is exchanged
// for), a Host the machine goes by and, for a change, no foreign Origin.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "web/WebAccess.h"
#include "web/WebChange.h"
#include "web/WebSettings.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace zeb {

struct WebReply {
    unsigned status = 200;
    std::string body = "{}";
    // A renewed token: the asking page gets its cookie, every other page must ask again.
    std::string newToken;
};

struct WebChangeRequest {
    WebChange change;
    std::promise<WebReply> reply;
};

struct WebLimits {
    size_t bodyBytes = 16 * 1024;
    unsigned liveClients = 16;
    // Connections at once, streams included; beyond this new ones are closed at once.
    unsigned connections = 40;
    unsigned headerSeconds = 10;
    // Requests per client address: a burst, then this many a second.
    double burst = 120;
    double perSecond = 40;
    std::chrono::milliseconds changeWait{3000};
};

class WebServer {
  public:
    // Listens on `listen`; throws std::system_error with the reason when it cannot.
    WebServer(const WebListen& listen, std::vector<std::string> hosts, std::string token,
              WebLimits limits = {});
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // The port listened on (the one asked for, or the system's pick for port 0).
    uint16_t Port() const { return port_; }

    // Readable while changes wait for the program's thread.
    int ChangesFd() const { return wakeFd_; }
    // The program's thread: the waiting changes, each to be answered.
    std::vector<WebChangeRequest> TakeChanges();

    // Whether any page waits for frames; none need be built otherwise.
    bool WantsFrames() const;
    // The newest state for every page.
    void Publish(std::string frame);

    // A renewed token: requests with the old one are refused and open streams end.
    void SetToken(const std::string& token);

    unsigned LiveClients() const;

  private:
    struct Request;
    struct Stream;
    // libmicrohttpd's callbacks.
    struct Callbacks;
    friend struct Callbacks;

    int Answer(MHD_Connection* connection, const std::string& url, const std::string& method,
               Request& request);
    int OpenStream(MHD_Connection* connection);
    int SendState(MHD_Connection* connection);
    int Change(MHD_Connection* connection, const std::string& body);
    bool RateAllows(MHD_Connection* connection);
    WebAccessPolicy Policy() const;

    WebLimits limits_;
    uint16_t port_ = 0;
    int listenFd_ = -1;
    int wakeFd_ = -1;

    mutable std::mutex mutex_;
    std::condition_variable newFrame_;
    std::condition_variable answered_;
    unsigned changesAnswering_ = 0;
    WebAccessPolicy policy_;
    uint64_t tokenGeneration_ = 0;
    std::shared_ptr<const std::string> frame_;
    uint64_t frameNumber_ = 0;
    unsigned live_ = 0;
    unsigned stateWaiters_ = 0;
    bool stopping_ = false;
    std::vector<WebChangeRequest> changes_;
    struct Bucket {
        double tokens;
        std::chrono::steady_clock::time_point filled;
    };
    std::map<std::string, Bucket> buckets_;

    MHD_Daemon* daemon_ = nullptr;
};

// The names a request's Host may give: "localhost", the listen address unless it is the
// wildcard, the machine's name (also with ".local") and every address of its interfaces.
std::vector<std::string> MachineHostNames(const WebListen& listen);

// The address a phone should open: the listen address, or for the wildcard the machine's
// first address beyond loopback ("http://192.168.1.20:8035/?token=…").
std::string WebPageAddress(const WebListen& listen, uint16_t port, const std::string& token);

}  // namespace zeb
