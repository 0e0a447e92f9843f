// Unix-domain stream sockets: the transport to a server on this machine through its socket file.
// Receiving, sending, waiting and closing are the calls of Sockets.h, which serve any stream
// socket; only opening and connecting differ.
#pragma once

#include <cstdint>

#include "platform/net/Sockets.h"

// A new blocking Unix-domain stream socket, or InvalidSocket with the errno code in error.
TSocketHandle SocketOpenLocal(int& error);

// Connects to the socket file at path. Returns 0 or an errno code: ENOENT when no such file (or
// an empty path),
// ECONNREFUSED when nothing listens there, ENAMETOOLONG when the path does not fit a socket
// address. A server whose queue of waiting connections is full is tried again until timeoutMs has
// passed, then ETIMEDOUT; with timeoutMs <= 0 the connect waits as long as the system does. The
// socket stays blocking either way.
int SocketConnectLocal(TSocketHandle socket, const AnsiString& path, int64_t timeoutMs);
