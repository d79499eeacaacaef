#pragma once
// A real HTTP/1.1 server on 127.0.0.1 (port chosen by the system) that
// answers each request from a script and records what it received. It serves
// as the configuration service, as a document host and, since it routes by
// path whatever the request target's host, as an HTTP proxy.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/loopback_socket.h"

struct LoopbackRequest {
    std::string method;
    std::string target;  // as sent: "/path?query", or "http://host/path?query" through a proxy
    std::string path;    // the target's path without scheme, host or query
    std::string query;   // the text after "?", empty when none
    std::map<std::string, std::string> headers;  // names in lower case

    std::string Header(const std::string& lowerCaseName) const;
};

struct LoopbackAnswer {
    int status = 200;
    std::string body{};
    std::string contentType = "text/plain";
    std::vector<std::pair<std::string, std::string>> extraHeaders{};  // e.g. {"Location", url}
    // Accept the request and then say nothing until the client gives up.
    bool neverAnswer = false;
    // Above 0: the body leaves in pieces of this size with a pause between
    // them, so that the client receives it in several reads (or, with a long
    // pause, at a crawl).
    size_t pieceBytes = 0;
    std::chrono::milliseconds piecePause{2};
    // No Content-Length: the body ends when the connection closes.
    bool closeDelimited = false;
};

class LoopbackHttpServer {
public:
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool IsListening() const { return listener_ != kNoLoopbackSocket; }
    uint16_t Port() const { return port_; }
    // "http://127.0.0.1:<port>"
    std::string BaseUrl() const;

    // Every request for `path` gets `answer` from now on. Paths not served
    // get 404 with a short HTML page.
    void Serve(const std::string& path, LoopbackAnswer answer);
    // Answers every request, taking precedence over Serve().
    void SetHandler(std::function<LoopbackAnswer(const LoopbackRequest&)> handler);

    std::vector<LoopbackRequest> Requests() const;
    std::vector<LoopbackRequest> RequestsTo(const std::string& path) const;
    // Blocks until a request for `path` has arrived (true) or `limit` has
    // passed (false), so that a test can act while a client waits.
    bool WaitForRequestTo(const std::string& path, std::chrono::milliseconds limit) const;

private:
    void AcceptLoop();
    void HandleConnection(LoopbackSocket connection);
    LoopbackAnswer AnswerFor(const LoopbackRequest& request) const;

    LoopbackSocket listener_ = kNoLoopbackSocket;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptThread_;

    mutable std::mutex lock_;  // guards everything below
    std::map<std::string, LoopbackAnswer> routes_;
    std::function<LoopbackAnswer(const LoopbackRequest&)> handler_;
    std::vector<LoopbackRequest> requests_;
    mutable std::condition_variable requestArrived_;
    std::vector<std::thread> connections_;
};

// On a thread of its own: once `server` has received a request for `path`
// (or 10 s have passed), waits `delay`, notes the time and calls `action`,
// e.g. raises a cancel flag or stops a worker while the client waits for an
// answer that never comes. The destructor waits for it.
class CallAfterRequest {
public:
    CallAfterRequest(const LoopbackHttpServer& server, std::string path, std::chrono::milliseconds delay,
                     std::function<void()> action);
    ~CallAfterRequest();
    CallAfterRequest(const CallAfterRequest&) = delete;
    CallAfterRequest& operator=(const CallAfterRequest&) = delete;

    // Waits for the action to have run and returns when it began.
    std::chrono::steady_clock::time_point Acted();

private:
    std::chrono::steady_clock::time_point actedAt_{};  // before thread_, which writes it
    std::thread thread_;
};
