#include <winsock2.h>
#include <windows.h>

#include "ServerSocket.h"

#include "DebugText.h"
#include "Exception.h"
#include "ServerSocketListener.h"
#include "SocketSetup.h"

ServerSocket::ServerSocket(unsigned int port, bool localOnly) : serverListener(nullptr)
{
    listen(port, localOnly);
}

ServerSocket::~ServerSocket()
{
    // The wait thread must be gone before this part of the object is: it calls notifyAccept.
    shutDown();
}

void ServerSocket::setListener(ServerSocketListener* listener)
{
    serverListener = listener;
}

unsigned int ServerSocket::getPort()
{
    sockaddr_in address = {};
    int length = sizeof address;
    if (socket == INVALID_SOCKET ||
        getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

void ServerSocket::listen(unsigned int port, bool localOnly)
{
    socket = SocketSetup::createStream();
    u_long host = htonl(localOnly ? 0x7F000001 : INADDR_ANY);
    sockaddr_in address = SocketSetup::ipv4Address(port, host);
    if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        SocketSetup::fail(*this, "Winsock-Problem in Funktion 'bind'.");
    if (::listen(socket, 0x7FFFFFFF) != 0)
        SocketSetup::fail(*this, "Winsock-Problem in Funktion 'listen'.");
    selectEvents(FD_ACCEPT);
    startWaitThread();
}

void ServerSocket::notifyEvent(_WSANETWORKEVENTS* events)
{
    if (events->lNetworkEvents & FD_ACCEPT)
        notifyAccept();
}

void ServerSocket::notifyAccept()
{
    debugText("ServerSocket: neue Connection.\n");
    sockaddr_in address = {};
    int length = sizeof address;
    SOCKET handle = accept(socket, reinterpret_cast<sockaddr*>(&address), &length);
    if (handle == INVALID_SOCKET)
        return;
    ServerSocketListener* listener = serverListener;
    if (!listener) {
        closesocket(handle);
        return;
    }
    Socket* connection = nullptr;
    try {
        connection = new Socket(handle);
    } catch (Exception& e) {
        // The new socket has closed its handle; the client sees the connection end.
        debugText(e.what());
        return;
    }
    listener->notifyConnection(this, connection);
}
