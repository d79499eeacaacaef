#include "tests/support/loopback_socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>

namespace {

// Winsock is started once for the process and left running until it ends.
bool EnsureWinsockStarted() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

SOCKET Native(LoopbackSocket socket) { return static_cast<SOCKET>(socket); }

int ChunkLength(size_t size) { return static_cast<int>(std::min<size_t>(size, INT_MAX)); }

}  // namespace

LoopbackSocket ListenOnLoopback(uint16_t& port) {
    if (!EnsureWinsockStarted()) return kNoLoopbackSocket;
    // Not inherited by child processes, as SOCK_CLOEXEC keeps it on Linux.
    const SOCKET listener = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (listener == INVALID_SOCKET) return kNoLoopbackSocket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 64) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener);
        return kNoLoopbackSocket;
    }
    port = ntohs(address.sin_port);
    return static_cast<LoopbackSocket>(listener);
}

LoopbackSocket AcceptConnection(LoopbackSocket listener) {
    const SOCKET connection = accept(Native(listener), nullptr, nullptr);
    return connection == INVALID_SOCKET ? kNoLoopbackSocket : static_cast<LoopbackSocket>(connection);
}

SocketWait WaitReadable(LoopbackSocket socket, std::chrono::milliseconds limit) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(Native(socket), &readable);
    timeval wait{};
    wait.tv_sec = static_cast<long>(limit.count() / 1000);
    wait.tv_usec = static_cast<long>(limit.count() % 1000 * 1000);
    const int ready = select(0, &readable, nullptr, nullptr, &wait);  // the first argument is ignored
    if (ready > 0) return SocketWait::Readable;
    return ready == 0 ? SocketWait::TimedOut : SocketWait::Failed;
}

long ReceiveSome(LoopbackSocket socket, char* buffer, size_t size) {
    return recv(Native(socket), buffer, ChunkLength(size), 0);
}

// Winsock raises no signal for a peer that is gone; send simply fails.
long SendSome(LoopbackSocket socket, const char* data, size_t size) {
    return send(Native(socket), data, ChunkLength(size), 0);
}

void CloseSocket(LoopbackSocket socket) {
    if (socket != kNoLoopbackSocket) closesocket(Native(socket));
}
