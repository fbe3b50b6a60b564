#include "web/WebServer.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <microhttpd.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "web/WebPageFiles.h"

namespace zeb {

namespace {

constexpr size_t kStreamBlock = 16 * 1024;
// A frame as a Server-Sent Event.
constexpr std::string_view kEventStart = "data: ";
constexpr std::string_view kEventEnd = "\n\n";
// Rounds of libmicrohttpd's own at most in one Serve.
constexpr int kMostRounds = 8;
// Client addresses remembered for the rate limit before the table starts afresh.
constexpr size_t kMostBuckets = 1024;

std::string ReasonJson(const std::string& reason) {
    std::string escaped;
    for (const char c : reason) {
        if (c == '"' || c == '\\') {
            escaped += '\\';
        }
        if (static_cast<unsigned char>(c) >= 0x20) {
            escaped += c;
        }
    }
    return "{\"error\":\"" + escaped + "\"}";
}

void SecureHeaders(MHD_Response* response) {
    MHD_add_response_header(response, "Cache-Control", "no-store");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "X-Frame-Options", "DENY");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    MHD_add_response_header(response, "Content-Security-Policy",
                            "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'");
}

MHD_Result Send(MHD_Connection* connection, unsigned status, const std::string& body,
                const char* type = "application/json", const std::string& cookieToken = {}) {
    MHD_Response* response = MHD_create_response_from_buffer(
        body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr) {
        return MHD_NO;
    }
    SecureHeaders(response);
    MHD_add_response_header(response, "Content-Type", type);
    if (!cookieToken.empty()) {
        const std::string cookie =
            std::string(kWebCookieName) + "=" + cookieToken + "; Path=/; HttpOnly; SameSite=Strict";
        MHD_add_response_header(response, "Set-Cookie", cookie.c_str());
    }
    const MHD_Result queued = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Result Refuse(MHD_Connection* connection, unsigned status, const std::string& reason) {
    return Send(connection, status, ReasonJson(reason));
}

std::string_view Header(MHD_Connection* connection, MHD_ValueKind kind, const char* name) {
    const char* value = MHD_lookup_connection_value(connection, kind, name);
    return value != nullptr ? std::string_view(value) : std::string_view();
}

std::string ClientAddress(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (info == nullptr || info->client_addr == nullptr) {
        return {};
    }
    char text[INET6_ADDRSTRLEN] = {};
    const sockaddr* address = info->client_addr;
    if (address->sa_family == AF_INET) {
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                    sizeof text);
    } else if (address->sa_family == AF_INET6) {
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
                    sizeof text);
    }
    return text;
}

bool IsWildcard(const std::string& address) {
    return address == "0.0.0.0" || address == "::";
}

std::string UrlHost(const std::string& address) {
    return address.find(':') != std::string::npos ? "[" + address + "]" : address;
}

int ListenSocket(const WebListen& listen, uint16_t& port) {
    sockaddr_storage storage{};
    socklen_t length = 0;
    const bool six = listen.address.find(':') != std::string::npos;
    if (six) {
        auto& address = reinterpret_cast<sockaddr_in6&>(storage);
        address.sin6_family = AF_INET6;
        address.sin6_port = htons(listen.port);
        ::inet_pton(AF_INET6, listen.address.c_str(), &address.sin6_addr);
        length = sizeof address;
    } else {
        auto& address = reinterpret_cast<sockaddr_in&>(storage);
        address.sin_family = AF_INET;
        address.sin_port = htons(listen.port);
        ::inet_pton(AF_INET, listen.address.c_str(), &address.sin_addr);
        length = sizeof address;
    }
    const int fd =
        ::socket(six ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), "socket");
    }
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&storage), length) != 0 ||
        ::listen(fd, 64) != 0) {
        const int error = errno;
        ::close(fd);
        throw std::system_error(
            error, std::generic_category(),
            "cannot listen on " + UrlHost(listen.address) + ":" + std::to_string(listen.port));
    }
    length = sizeof storage;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length);
    port = ntohs(storage.ss_family == AF_INET6
                     ? reinterpret_cast<const sockaddr_in6&>(storage).sin6_port
                     : reinterpret_cast<const sockaddr_in&>(storage).sin_port);
    return fd;
}

template <typename Each>
void ForEachInterfaceAddress(Each each) {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return;
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr) {
            continue;
        }
        char text[INET6_ADDRSTRLEN] = {};
        const int family = entry->ifa_addr->sa_family;
        if (family == AF_INET) {
            ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr,
                        text, sizeof text);
        } else if (family == AF_INET6) {
            ::inet_ntop(AF_INET6,
                        &reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr, text,
                        sizeof text);
        } else {
            continue;
        }
        each(std::string(text), family == AF_INET, (entry->ifa_flags & IFF_LOOPBACK) != 0);
    }
    ::freeifaddrs(list);
}

}  // namespace

struct WebServer::Request {
    bool answered = false;
    bool waitsState = false;        // a state request parked until the next whole state
    uint64_t wholeSeen = 0;         // the whole state's number when it was parked
    std::optional<WebReply> reply;  // a change's answer, once carried out
    std::string body;
};

struct WebServer::Stream {
    WebServer& server;
    MHD_Connection* connection;
    uint64_t generation;
    uint64_t shown = 0;                            // the newest frame sent
    uint64_t shownWhole = 0;                       // the newest whole state sent
    std::shared_ptr<const std::string> pending{};  // the event being sent, shared by the pages
    size_t sent = 0;
};

struct WebServer::Callbacks {
    static MHD_Result Access(void* self, MHD_Connection* connection, const char* url,
                             const char* method, const char* /*version*/, const char* upload,
                             size_t* uploadSize, void** state) {
        auto& server = *static_cast<WebServer*>(self);
        if (*state == nullptr) {
            auto request = std::make_unique<Request>();
            *state = request.get();
            Request& fresh = *request.release();  // Completed deletes it
            const auto result =
                static_cast<MHD_Result>(server.Answer(connection, url, method, fresh));
            // A change passed the checks on its headers: its body follows.
            return fresh.answered ? result : MHD_YES;
        }
        Request& request = *static_cast<Request*>(*state);
        if (request.waitsState) {
            return static_cast<MHD_Result>(server.SendState(connection, request));
        }
        if (request.reply) {
            const WebReply reply = std::exchange(request.reply, std::nullopt).value();
            return Send(connection, reply.status, reply.body, "application/json", reply.newToken);
        }
        if (*uploadSize != 0) {
            const size_t given = std::exchange(*uploadSize, 0);
            if (request.answered) {
                return MHD_YES;
            }
            if (request.body.size() + given > server.limits_.bodyBytes) {
                // A body without a length that grows too long: refused now, the rest unread.
                request.answered = true;
                return Refuse(connection, MHD_HTTP_CONTENT_TOO_LARGE, "a change is at most 16 KB");
            }
            request.body.append(upload, given);
            return MHD_YES;
        }
        if (request.answered) {
            return MHD_YES;
        }
        request.answered = true;
        return static_cast<MHD_Result>(server.Change(connection, request));
    }

    static void Completed(void* self, MHD_Connection* /*connection*/, void** state,
                          MHD_RequestTerminationCode /*code*/) {
        const std::unique_ptr<Request> finished(static_cast<Request*>(*state));
        *state = nullptr;
        if (finished && finished->waitsState) {
            --static_cast<WebServer*>(self)->stateWaiters_;
        }
    }

    static ssize_t StreamRead(void* cls, uint64_t /*position*/, char* buffer, size_t max) {
        Stream& stream = *static_cast<Stream*>(cls);
        WebServer& server = stream.server;
        if (!stream.pending || stream.sent >= stream.pending->size()) {
            if (server.stopping_ || server.tokenGeneration_ != stream.generation) {
                return MHD_CONTENT_READER_END_OF_STREAM;
            }
            if (server.wholeNumber_ != stream.shownWhole && server.wholeEvent_) {
                // The whole state first (a new page, or a change since), then live frames.
                stream.shownWhole = server.wholeNumber_;
                stream.shown = std::max(stream.shown, server.wholeAtFrame_);
                stream.pending = server.wholeEvent_;
            } else if (server.frameNumber_ != stream.shown && server.event_ &&
                       stream.shownWhole != 0) {
                // Only the newest frame: a page that reads slowly skips those it missed.
                stream.shown = server.frameNumber_;
                stream.pending = server.event_;
            } else {
                // Until the next frame; a page that went away is noticed when it is sent.
                server.Suspend(stream.connection);
                return 0;
            }
            stream.sent = 0;
        }
        const size_t count = std::min(max, stream.pending->size() - stream.sent);
        std::memcpy(buffer, stream.pending->data() + stream.sent, count);
        stream.sent += count;
        return static_cast<ssize_t>(count);
    }

    static void StreamEnd(void* cls) {
        std::unique_ptr<Stream> stream(static_cast<Stream*>(cls));
        --stream->server.live_;
    }
};

WebServer::WebServer(const WebListen& listen, std::vector<std::string> hosts, std::string token,
                     WebChangeHandler carry, WebLimits limits)
    : carry_(std::move(carry)), limits_(limits) {
    listenFd_ = ListenSocket(listen, port_);
    policy_.token = std::move(token);
    policy_.hosts = std::move(hosts);
    policy_.port = port_;
    unsigned flags = MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME;
    if (listen.address.find(':') != std::string::npos) {
        flags |= MHD_USE_IPv6;
    }
    daemon_ = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &Callbacks::Access, this, MHD_OPTION_LISTEN_SOCKET, listenFd_,
        MHD_OPTION_NOTIFY_COMPLETED, &Callbacks::Completed, this, MHD_OPTION_CONNECTION_LIMIT,
        limits_.connections, MHD_OPTION_CONNECTION_TIMEOUT, limits_.headerSeconds, MHD_OPTION_END);
    if (daemon_ == nullptr) {
        ::close(listenFd_);
        throw std::system_error(EIO, std::generic_category(), "the web server did not start");
    }
}

WebServer::~WebServer() {
    // Serve carries out every change it takes, so none waits here. The parked streams end,
    // which goes out before the daemon closes every connection.
    stopping_ = true;
    ResumeAll();
    Run();
    MHD_stop_daemon(daemon_);
    ::close(listenFd_);
}

int WebServer::Fd() const {
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_EPOLL_FD);
    return info != nullptr ? info->epoll_fd : -1;
}

void WebServer::Run() {
    if (running_) {
        return;
    }
    running_ = true;
    // libmicrohttpd may keep connections it found ready and did not get to (its epoll is edge
    // triggered, so the descriptor will not say so again): it runs again while it says so.
    for (int round = 0; round < kMostRounds; ++round) {
        MHD_run(daemon_);
        MHD_UNSIGNED_LONG_LONG wait = 0;
        if (MHD_get_timeout(daemon_, &wait) != MHD_YES || wait > 0) {
            break;
        }
    }
    running_ = false;
}

bool WebServer::Serve() {
    Run();
    bool carried = false;
    while (!changes_.empty() && !running_) {
        // Taken first: a message box a change opens may run the loop, and Serve, again.
        for (WaitingChange& waiting : std::exchange(changes_, {})) {
            waiting.request->reply = carry_(waiting.change);
            MHD_resume_connection(waiting.connection);
            carried = true;
        }
        Run();
    }
    return carried;
}

void WebServer::Suspend(MHD_Connection* connection) {
    MHD_suspend_connection(connection);
    suspended_.push_back(connection);
}

void WebServer::ResumeAll() {
    for (MHD_Connection* connection : std::exchange(suspended_, {})) {
        MHD_resume_connection(connection);
    }
}

bool WebServer::Publish(std::string live, std::optional<std::string> whole) {
    // Each written once as the event every stream sends.
    const auto event = [](const std::string& frame) {
        auto text = std::make_shared<std::string>();
        text->reserve(frame.size() + kEventStart.size() + kEventEnd.size());
        text->append(kEventStart).append(frame).append(kEventEnd);
        return text;
    };
    const auto now = std::chrono::steady_clock::now();
    const bool unchanged = !whole && event_ &&
                           event_->size() == live.size() + kEventStart.size() + kEventEnd.size() &&
                           event_->compare(kEventStart.size(), live.size(), live) == 0;
    if (unchanged && now - published_ < kQuietRepeat) {
        return false;
    }
    published_ = now;
    ++frameNumber_;
    event_ = event(live);
    if (whole) {
        wholeEvent_ = event(*whole);
        ++wholeNumber_;
        wholeAtFrame_ = frameNumber_;
    }
    ResumeAll();
    return Serve();
}

void WebServer::SetToken(const std::string& token) {
    policy_.token = token;
    ++tokenGeneration_;
    ResumeAll();
}

bool WebServer::RateAllows(MHD_Connection* connection) {
    const std::string client = ClientAddress(connection);
    const auto now = std::chrono::steady_clock::now();
    if (buckets_.size() >= kMostBuckets && buckets_.find(client) == buckets_.end()) {
        buckets_.clear();
    }
    auto [at, fresh] = buckets_.try_emplace(client, Bucket{limits_.burst, now});
    Bucket& bucket = at->second;
    if (!fresh) {
        const double seconds = std::chrono::duration<double>(now - bucket.filled).count();
        bucket.tokens = std::min(limits_.burst, bucket.tokens + seconds * limits_.perSecond);
        bucket.filled = now;
    }
    if (bucket.tokens < 1.0) {
        return false;
    }
    bucket.tokens -= 1.0;
    return true;
}

int WebServer::Answer(MHD_Connection* connection, const std::string& url, const std::string& method,
                      Request& request) {
    request.answered = true;
    const WebRequestFacts facts{
        .method = method,
        .host = Header(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_HOST),
        .origin = Header(connection, MHD_HEADER_KIND, "Origin"),
        .cookie = Header(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_COOKIE),
        .urlToken = Header(connection, MHD_GET_ARGUMENT_KIND, "token"),
    };
    const WebAccess access = CheckWebAccess(facts, policy_);
    if (access != WebAccess::Granted) {
        return Refuse(connection,
                      access == WebAccess::NoToken ? MHD_HTTP_UNAUTHORIZED : MHD_HTTP_FORBIDDEN,
                      WebAccessReason(access));
    }
    if (!RateAllows(connection)) {
        return Refuse(connection, MHD_HTTP_TOO_MANY_REQUESTS, "too many requests: slow down");
    }
    if (method == "POST" && url == "/change") {
        const std::string_view length =
            Header(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
        size_t declared = 0;
        const auto [end, ec] =
            std::from_chars(length.data(), length.data() + length.size(), declared);
        if (!length.empty() && (ec != std::errc{} || declared > limits_.bodyBytes)) {
            return Refuse(connection, MHD_HTTP_CONTENT_TOO_LARGE, "a change is at most 16 KB");
        }
        request.answered = false;  // the body comes next
        return MHD_YES;
    }
    if (method != "GET" && method != "HEAD") {
        return Refuse(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "not a method of this page");
    }
    if (url == "/events") {
        return OpenStream(connection);
    }
    if (url == "/state") {
        return SendState(connection, request);
    }
    for (const WebPageFile& file : WebPageFiles()) {
        if (url == file.path) {
            // The cookie replaces the token in the address, which the page then removes.
            return Send(connection, MHD_HTTP_OK, std::string(file.body), file.type.data(),
                        file.path == "/" ? policy_.token : std::string());
        }
    }
    return Refuse(connection, MHD_HTTP_NOT_FOUND, "no such page");
}

int WebServer::OpenStream(MHD_Connection* connection) {
    if (live_ >= limits_.liveClients) {
        return Refuse(connection, MHD_HTTP_SERVICE_UNAVAILABLE,
                      "already " + std::to_string(limits_.liveClients) + " pages are open");
    }
    auto stream = std::make_unique<Stream>(
        Stream{.server = *this, .connection = connection, .generation = tokenGeneration_});
    MHD_Response* response =
        MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, kStreamBlock, &Callbacks::StreamRead,
                                          stream.get(), &Callbacks::StreamEnd);
    if (response == nullptr) {
        return MHD_NO;
    }
    ++live_;
    stream.release();  // StreamEnd deletes it
    SecureHeaders(response);
    MHD_add_response_header(response, "Content-Type", "text/event-stream");
    const MHD_Result queued = MHD_queue_response(connection, MHD_HTTP_OK, response);
    MHD_destroy_response(response);
    return queued;
}

int WebServer::SendState(MHD_Connection* connection, Request& request) {
    if (!request.waitsState) {
        // The whole state kept may be ticks old: the request waits for the next tick's, which
        // carries the whole state while any request waits.
        request.waitsState = true;
        request.answered = false;
        request.wholeSeen = wholeNumber_;
        ++stateWaiters_;
    }
    if (wholeNumber_ == request.wholeSeen && !stopping_) {
        Suspend(connection);
        return MHD_YES;
    }
    request.waitsState = false;
    request.answered = true;
    --stateWaiters_;
    if (!wholeEvent_) {
        return Refuse(connection, MHD_HTTP_SERVICE_UNAVAILABLE, "no state yet: try again");
    }
    return Send(connection, MHD_HTTP_OK, WholeJson());
}

std::string WebServer::WholeJson() const {
    return wholeEvent_->substr(kEventStart.size(),
                               wholeEvent_->size() - kEventStart.size() - kEventEnd.size());
}

int WebServer::Change(MHD_Connection* connection, Request& request) {
    std::string reason;
    auto change = ParseWebChange(request.body, reason);
    if (!change) {
        return Refuse(connection, MHD_HTTP_BAD_REQUEST, reason);
    }
    if (stopping_) {
        return Refuse(connection, MHD_HTTP_SERVICE_UNAVAILABLE, "the program is ending");
    }
    // Carried out once libmicrohttpd's round is over; the answer goes out on the resume.
    changes_.push_back({connection, &request, std::move(*change)});
    MHD_suspend_connection(connection);
    return MHD_YES;
}

std::vector<std::string> MachineHostNames(const WebListen& listen) {
    std::vector<std::string> hosts{"localhost"};
    unsigned ignored = 0;
    if (!IsWildcard(listen.address)) {
        hosts.push_back(HostPart(UrlHost(listen.address), ignored));
    }
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) == 0 && name[0] != '\0') {
        const std::string host = HostPart(name, ignored);
        hosts.push_back(host);
        hosts.push_back(host + ".local");
    }
    ForEachInterfaceAddress([&](const std::string& address, bool, bool) {
        hosts.push_back(HostPart(UrlHost(address), ignored));
    });
    std::sort(hosts.begin(), hosts.end());
    hosts.erase(std::unique(hosts.begin(), hosts.end()), hosts.end());
    std::erase(hosts, std::string());
    return hosts;
}

std::string WebPageAddress(const WebListen& listen, uint16_t port, const std::string& token) {
    std::string host = listen.address;
    if (IsWildcard(host)) {
        host = listen.address == "::" ? "::1" : "127.0.0.1";
        bool found = false;
        ForEachInterfaceAddress([&](const std::string& address, bool four, bool loopback) {
            if (!found && four && !loopback) {
                host = address;
                found = true;
            }
        });
    }
    return "http://" + UrlHost(host) + ":" + std::to_string(port) + "/?token=" + token;
}

}  // namespace zeb
