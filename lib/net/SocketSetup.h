#ifndef SOCKETSETUP_H
#define SOCKETSETUP_H

#include <cstdint>

// The set-up that Socket::connect and ServerSocket::listen share. Internal to the library:
// nothing here is exported, and programs of the library do not include it.

class Socket;
struct sockaddr_in;

namespace SocketSetup
{
// A new IPv4 stream socket; throws Win32Exception "Winsock-Problem in Funktion 'socket'.".
std::uintptr_t createStream();
// An IPv4 address with the port; the address is in network order.
sockaddr_in ipv4Address(unsigned int port, unsigned long address);
// For a call on the new socket that failed: reads Winsock's error before anything else, closes
// the socket and throws Win32Exception with text (followed by detail, when given) and the error.
[[noreturn]] void fail(Socket& socket, char const* text, char const* detail = nullptr);
}

#endif
