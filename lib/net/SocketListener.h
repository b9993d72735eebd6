#ifndef SOCKETLISTENER_H
#define SOCKETLISTENER_H

#include "LibApi.h"

class Socket;

// Receives the events of a Socket, always on that socket's wait thread.
class LIBAPI SocketListener
{
public:
    virtual ~SocketListener();

    // The connection is gone; the socket is already closed when this is called.
    virtual void notifyClose(Socket* socket) = 0;
    // Bytes are waiting: read them with Socket::receive.
    virtual void notifyReceive(Socket* socket) = 0;
};

#endif
