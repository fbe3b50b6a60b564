#pragma once
// The page's HTTP server (libmicrohttpd), run on the program's own thread: the front end
// watches Fd() on its loop and calls Serve() when it is readable. Every socket is non-blocking,
// so no client holds the program up; a change is carried out by the program's handler after the
// server's own work, outside libmicrohttpd's callbacks (a message box it opens may run the loop
// again), and the state goes to every open page as frames the program publishes after its
// engine ticks: each page gets the newest one, with no thread to wake.
//
//   GET  /, /page.css, /page.js   the page (from memory)
//   GET  /state                   the newest state, JSON
//   GET  /events                  the state at each engine tick that changes it (SSE)
//   POST /change                  one change (WebChange.h), JSON in and out
//
// Every request needs the token (the address's "token" argument or the cookie it is exchanged
// for), a Host the machine goes by and, for a change, no foreign Origin.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
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

// Carries out one change on the program's thread and says how it went.
using WebChangeHandler = std::function<WebReply(const WebChange&)>;

struct WebLimits {
    size_t bodyBytes = 16 * 1024;
    unsigned liveClients = 16;
    // Connections at once, streams included; beyond this new ones are closed at once.
    unsigned connections = 40;
    unsigned headerSeconds = 10;
    // Requests per client address: a burst, then this many a second.
    double burst = 120;
    double perSecond = 40;
};

class WebServer {
  public:
    // Well inside the time-out for a connection that makes no progress.
    static constexpr std::chrono::seconds kQuietRepeat{2};

    // Listens on `listen`; throws std::system_error with the reason when it cannot.
    WebServer(const WebListen& listen, std::vector<std::string> hosts, std::string token,
              WebChangeHandler carry, WebLimits limits = {});
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // The port listened on (the one asked for, or the system's pick for port 0).
    uint16_t Port() const { return port_; }

    // Readable while the server has work: then Serve().
    int Fd() const;
    // Accepts, reads, answers and sends what is ready, and carries out the changes that came;
    // true when there were any (the window then shows the model again).
    bool Serve();

    // Whether any page waits for frames; none need be built otherwise.
    bool WantsFrames() const { return live_ > 0 || stateWaiters_ > 0; }
    // Whether the next Publish should carry the whole state: a state request waits for it.
    bool WantsWholeState() const { return stateWaiters_ > 0 || wholeNumber_ == 0; }
    // The newest live frame for every page, with the whole state when it changed (or was
    // asked for), sent at once; serves as Serve() does. A page gets the whole state before
    // any live frame. A live frame like the one before, without a whole state, tells the
    // pages nothing: it goes again only every kQuietRepeat, by which a page that went away
    // is noticed, and nothing is served then. The program publishes after every engine tick
    // while WantsFrames(): parked streams and state requests wait for nothing else.
    bool Publish(std::string live, std::optional<std::string> whole);

    // A renewed token: requests with the old one are refused and open streams end.
    void SetToken(const std::string& token);

    unsigned LiveClients() const { return live_; }

  private:
    struct Request;
    struct Stream;
    struct WaitingChange {
        MHD_Connection* connection;
        Request* request;
        WebChange change;
    };
    // libmicrohttpd's callbacks.
    struct Callbacks;
    friend struct Callbacks;

    int Answer(MHD_Connection* connection, const std::string& url, const std::string& method,
               Request& request);
    int OpenStream(MHD_Connection* connection);
    int SendState(MHD_Connection* connection, Request& request);
    int Change(MHD_Connection* connection, Request& request);
    bool RateAllows(MHD_Connection* connection);
    // Parks a connection until the next frame (or the answer to its change).
    void Suspend(MHD_Connection* connection);
    void ResumeAll();
    // The newest whole state, without its event's framing.
    std::string WholeJson() const;
    // libmicrohttpd's own round, never inside one of its callbacks.
    void Run();

    WebChangeHandler carry_;
    WebLimits limits_;
    uint16_t port_ = 0;
    int listenFd_ = -1;

    WebAccessPolicy policy_;
    uint64_t tokenGeneration_ = 0;
    std::shared_ptr<const std::string> event_;  // the newest live frame, as its event
    uint64_t frameNumber_ = 0;
    std::chrono::steady_clock::time_point published_;  // when event_ last went out
    std::shared_ptr<const std::string> wholeEvent_;    // the newest whole state, as its event
    uint64_t wholeNumber_ = 0;
    uint64_t wholeAtFrame_ = 0;  // the frame it came with
    unsigned live_ = 0;
    unsigned stateWaiters_ = 0;
    bool stopping_ = false;
    bool running_ = false;
    std::vector<MHD_Connection*> suspended_;
    std::vector<WaitingChange> changes_;
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
