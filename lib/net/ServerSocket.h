#ifndef SERVERSOCKET_H
#define SERVERSOCKET_H

#include "LibApi.h"
#include "Socket.h"

class ServerSocketListener;

// Listens on a TCP port and hands each accepted connection, as a new Socket, to its listener.
// Without a listener every incoming connection is closed at once.
class LIBAPI ServerSocket : public Socket
{
public:
    // localOnly: listen on 127.0.0.1 only, else on every address. Port 0 picks a free port.
    // Throws Win32Exception when the port cannot be bound or listened on.
    ServerSocket(unsigned int port, bool localOnly);
    virtual ~ServerSocket();

    // Not replayed: connections accepted without a listener are already closed.
    void setListener(ServerSocketListener* listener);
    // The port actually listened on (0 when closed).
    unsigned int getPort();

protected:
    virtual void notifyEvent(_WSANETWORKEVENTS* events) override;
    virtual void notifyAccept();

private:
    void listen(unsigned int port, bool localOnly);

    ServerSocketListener* serverListener;
};

#endif
