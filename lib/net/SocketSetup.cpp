#include <winsock2.h>
#include <windows.h>

#include "SocketSetup.h"

#include "Socket.h"
#include "Win32Exception.h"

std::uintptr_t SocketSetup::createStream()
{
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket == INVALID_SOCKET)
        throw Win32Exception("Winsock-Problem in Funktion 'socket'.", WSAGetLastError());
    return socket;
}

sockaddr_in SocketSetup::ipv4Address(unsigned int port, unsigned long address)
{
    sockaddr_in result = {};
    result.sin_family = AF_INET;
    result.sin_port = htons(static_cast<u_short>(port));
    result.sin_addr.s_addr = address;
    return result;
}

void SocketSetup::fail(Socket& socket, char const* text, char const* detail)
{
    int code = WSAGetLastError();
    socket.disconnect();
    String message(text);
    if (detail != nullptr)
        message += detail;
    throw Win32Exception(message, code);
}
