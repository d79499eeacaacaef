#include "tests/support/loopback_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

LoopbackSocket ListenOnLoopback(uint16_t& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return kNoLoopbackSocket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 64) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return kNoLoopbackSocket;
    }
    port = ntohs(address.sin_port);
    return fd;
}

LoopbackSocket AcceptConnection(LoopbackSocket listener) {
    const int fd = accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
    return fd < 0 ? kNoLoopbackSocket : fd;
}

SocketWait WaitReadable(LoopbackSocket socket, std::chrono::milliseconds limit) {
    pollfd entry{static_cast<int>(socket), POLLIN, 0};
    const int ready = poll(&entry, 1, static_cast<int>(limit.count()));
    if (ready > 0) return SocketWait::Readable;
    if (ready == 0 || errno == EINTR) return SocketWait::TimedOut;
    return SocketWait::Failed;
}

long ReceiveSome(LoopbackSocket socket, char* buffer, size_t size) {
    for (;;) {
        const ssize_t got = recv(static_cast<int>(socket), buffer, size, 0);
        if (got >= 0 || errno != EINTR) return static_cast<long>(got);
    }
}

long SendSome(LoopbackSocket socket, const char* data, size_t size) {
    for (;;) {
        const ssize_t sent = send(static_cast<int>(socket), data, size, MSG_NOSIGNAL);
        if (sent >= 0 || errno != EINTR) return static_cast<long>(sent);
    }
}

void CloseSocket(LoopbackSocket socket) {
    if (socket != kNoLoopbackSocket) close(static_cast<int>(socket));
}
