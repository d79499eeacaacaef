#include "tests/remote/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <sstream>

namespace {

constexpr int kPollMs = 50;
constexpr size_t kMaxRequestHeadBytes = 64 * 1024;

class CSocket {
public:
    explicit CSocket(int fd) : fd_(fd) {}
    ~CSocket() {
        if (fd_ >= 0) close(fd_);
    }
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Waits for input while watching the stop flag; false on stop or time-out.
bool WaitReadable(int fd, const std::atomic<bool>& stop) {
    pollfd entry{fd, POLLIN, 0};
    while (!stop.load()) {
        const int ready = poll(&entry, 1, kPollMs);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
    return false;
}

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool ParseRequestHead(const std::string& head, LoopbackRequest& request) {
    std::istringstream lines(head);
    std::string line;
    if (!std::getline(lines, line)) return false;
    std::istringstream first(line);
    std::string version;
    if (!(first >> request.method >> request.target >> version)) return false;
    while (std::getline(lines, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        request.headers[Lower(line.substr(0, colon))] = Trimmed(line.substr(colon + 1));
    }
    std::string pathAndQuery = request.target;
    if (const size_t scheme = pathAndQuery.find("://"); scheme != std::string::npos) {
        const size_t slash = pathAndQuery.find('/', scheme + 3);
        pathAndQuery = slash == std::string::npos ? "/" : pathAndQuery.substr(slash);
    }
    const size_t question = pathAndQuery.find('?');
    request.path = pathAndQuery.substr(0, question);
    request.query = question == std::string::npos ? "" : pathAndQuery.substr(question + 1);
    return true;
}

const char* Reason(int status) {
    switch (status) {
        case 200: return "OK";
        case 302: return "Found";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        case 502: return "Bad Gateway";
        default: return "Status";
    }
}

}  // namespace

std::string LoopbackRequest::Header(const std::string& lowerCaseName) const {
    const auto found = headers.find(lowerCaseName);
    return found == headers.end() ? std::string{} : found->second;
}

LoopbackHttpServer::LoopbackHttpServer() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 64) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return;
    }
    listenFd_ = fd;
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread(&LoopbackHttpServer::AcceptLoop, this);
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stop_.store(true);
    if (acceptThread_.joinable()) acceptThread_.join();
    // No new connection threads can start now.
    for (auto& connection : connections_) connection.join();
    if (listenFd_ >= 0) close(listenFd_);
}

std::string LoopbackHttpServer::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

void LoopbackHttpServer::Serve(const std::string& path, LoopbackAnswer answer) {
    const std::lock_guard<std::mutex> guard(lock_);
    routes_[path] = std::move(answer);
}

void LoopbackHttpServer::SetHandler(std::function<LoopbackAnswer(const LoopbackRequest&)> handler) {
    const std::lock_guard<std::mutex> guard(lock_);
    handler_ = std::move(handler);
}

std::vector<LoopbackRequest> LoopbackHttpServer::Requests() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return requests_;
}

std::vector<LoopbackRequest> LoopbackHttpServer::RequestsTo(const std::string& path) const {
    std::vector<LoopbackRequest> matching;
    for (auto& request : Requests()) {
        if (request.path == path) matching.push_back(std::move(request));
    }
    return matching;
}

bool LoopbackHttpServer::WaitForRequestTo(const std::string& path, std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> guard(lock_);
    return requestArrived_.wait_for(guard, limit, [&] {
        return std::any_of(requests_.begin(), requests_.end(),
                           [&](const LoopbackRequest& request) { return request.path == path; });
    });
}

void LoopbackHttpServer::AcceptLoop() {
    while (WaitReadable(listenFd_, stop_)) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        const std::lock_guard<std::mutex> guard(lock_);
        connections_.emplace_back(&LoopbackHttpServer::HandleConnection, this, fd);
    }
}

LoopbackAnswer LoopbackHttpServer::AnswerFor(const LoopbackRequest& request) const {
    std::function<LoopbackAnswer(const LoopbackRequest&)> handler;
    {
        const std::lock_guard<std::mutex> guard(lock_);
        if (!handler_) {
            const auto route = routes_.find(request.path);
            if (route != routes_.end()) return route->second;
            LoopbackAnswer missing;
            missing.status = 404;
            missing.contentType = "text/html";
            missing.body = "<html><body><h1>404 Not Found</h1></body></html>";
            return missing;
        }
        handler = handler_;
    }
    return handler(request);
}

void LoopbackHttpServer::HandleConnection(int rawFd) {
    const CSocket connection(rawFd);
    const int fd = connection.Get();
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestHeadBytes) {
        if (!WaitReadable(fd, stop_)) return;
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) return;
        head.append(buffer, static_cast<size_t>(got));
    }
    LoopbackRequest request;
    if (!ParseRequestHead(head.substr(0, head.find("\r\n\r\n")), request)) return;
    {
        const std::lock_guard<std::mutex> guard(lock_);
        requests_.push_back(request);
    }
    requestArrived_.notify_all();
    const LoopbackAnswer answer = AnswerFor(request);

    if (answer.neverAnswer) {
        // Silent until the client closes or the server stops.
        while (WaitReadable(fd, stop_)) {
            if (recv(fd, buffer, sizeof buffer, 0) <= 0) return;
        }
        return;
    }

    std::string response = "HTTP/1.1 " + std::to_string(answer.status) + " " + Reason(answer.status) + "\r\n";
    response += "Content-Type: " + answer.contentType + "\r\n";
    if (!answer.closeDelimited) response += "Content-Length: " + std::to_string(answer.body.size()) + "\r\n";
    for (const auto& [name, value] : answer.extraHeaders) response += name + ": " + value + "\r\n";
    response += "Connection: close\r\n\r\n";
    if (answer.pieceBytes == 0) {
        SendAll(fd, response + answer.body);
        return;
    }
    if (!SendAll(fd, response)) return;
    for (size_t at = 0; at < answer.body.size() && !stop_.load(); at += answer.pieceBytes) {
        if (!SendAll(fd, std::string_view(answer.body).substr(at, answer.pieceBytes))) return;
        std::this_thread::sleep_for(answer.piecePause);
    }
}

CallAfterRequest::CallAfterRequest(const LoopbackHttpServer& server, std::string path, std::chrono::milliseconds delay,
                                   std::function<void()> action)
    : thread_([this, &server, path = std::move(path), delay, action = std::move(action)] {
          server.WaitForRequestTo(path, std::chrono::seconds(10));
          std::this_thread::sleep_for(delay);
          actedAt_ = std::chrono::steady_clock::now();
          action();
      }) {}

CallAfterRequest::~CallAfterRequest() {
    if (thread_.joinable()) thread_.join();
}

std::chrono::steady_clock::time_point CallAfterRequest::Acted() {
    if (thread_.joinable()) thread_.join();
    return actedAt_;
}
