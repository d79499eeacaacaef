#pragma once
// The few TCP operations the loopback HTTP server needs, over POSIX sockets
// (loopback_socket_linux.cpp) or Winsock (loopback_socket_win.cpp), so that
// the server and every test that stands it in run unchanged on both.

#include <chrono>
#include <cstddef>
#include <cstdint>

// A POSIX descriptor or a Winsock SOCKET; kNoLoopbackSocket for none (-1 is
// also what Winsock's INVALID_SOCKET reads as here).
using LoopbackSocket = std::intptr_t;
inline constexpr LoopbackSocket kNoLoopbackSocket = -1;

// A socket listening on 127.0.0.1 at a port the system picks, stored in
// `port`; kNoLoopbackSocket when none can be opened.
LoopbackSocket ListenOnLoopback(uint16_t& port);
// The next connection waiting on `listener`, or kNoLoopbackSocket.
LoopbackSocket AcceptConnection(LoopbackSocket listener);

enum class SocketWait { Readable, TimedOut, Failed };
// Waits at most `limit` for input (or a new connection, or the peer's end).
// An interrupted wait reads as TimedOut, so callers simply wait again.
SocketWait WaitReadable(LoopbackSocket socket, std::chrono::milliseconds limit);

// Bytes received: above 0, 0 at the peer's end, below 0 on failure.
long ReceiveSome(LoopbackSocket socket, char* buffer, size_t size);
// Bytes sent, below 0 on failure; a peer that is gone never raises a signal.
long SendSome(LoopbackSocket socket, const char* data, size_t size);

void CloseSocket(LoopbackSocket socket);
