#include "tests/support/loopback_http_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <sstream>
#include <string_view>

namespace {

constexpr std::chrono::milliseconds kPollInterval{50};
constexpr size_t kMaxRequestHeadBytes = 64 * 1024;

class CSocket {
public:
    explicit CSocket(LoopbackSocket socket) : socket_(socket) {}
    ~CSocket() { CloseSocket(socket_); }
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    LoopbackSocket Get() const { return socket_; }

private:
    LoopbackSocket socket_;
};

// Waits for input while watching the stop flag; false on stop or failure.
bool WaitReadableUnlessStopped(LoopbackSocket socket, const std::atomic<bool>& stop) {
    while (!stop.load()) {
        switch (WaitReadable(socket, kPollInterval)) {
            case SocketWait::Readable: return true;
            case SocketWait::Failed: return false;
            case SocketWait::TimedOut: break;
        }
    }
    return false;
}

bool SendAll(LoopbackSocket socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const long sent = SendSome(socket, bytes.data(), bytes.size());
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
    listener_ = ListenOnLoopback(port_);
    if (listener_ == kNoLoopbackSocket) return;
    acceptThread_ = std::thread(&LoopbackHttpServer::AcceptLoop, this);
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stop_.store(true);
    if (acceptThread_.joinable()) acceptThread_.join();
    // No new connection threads can start now.
    for (auto& connection : connections_) connection.join();
    CloseSocket(listener_);
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
    while (WaitReadableUnlessStopped(listener_, stop_)) {
        const LoopbackSocket connection = AcceptConnection(listener_);
        if (connection == kNoLoopbackSocket) continue;
        const std::lock_guard<std::mutex> guard(lock_);
        connections_.emplace_back(&LoopbackHttpServer::HandleConnection, this, connection);
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

void LoopbackHttpServer::HandleConnection(LoopbackSocket socket) {
    const CSocket connection(socket);
    const LoopbackSocket peer = connection.Get();
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestHeadBytes) {
        if (!WaitReadableUnlessStopped(peer, stop_)) return;
        const long got = ReceiveSome(peer, buffer, sizeof buffer);
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
        while (WaitReadableUnlessStopped(peer, stop_)) {
            if (ReceiveSome(peer, buffer, sizeof buffer) <= 0) return;
        }
        return;
    }

    std::string response = "HTTP/1.1 " + std::to_string(answer.status) + " " + Reason(answer.status) + "\r\n";
    response += "Content-Type: " + answer.contentType + "\r\n";
    if (!answer.closeDelimited) response += "Content-Length: " + std::to_string(answer.body.size()) + "\r\n";
    for (const auto& [name, value] : answer.extraHeaders) response += name + ": " + value + "\r\n";
    response += "Connection: close\r\n\r\n";
    if (answer.pieceBytes == 0) {
        SendAll(peer, response + answer.body);
        return;
    }
    if (!SendAll(peer, response)) return;
    for (size_t at = 0; at < answer.body.size() && !stop_.load(); at += answer.pieceBytes) {
        if (!SendAll(peer, std::string_view(answer.body).substr(at, answer.pieceBytes))) return;
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
