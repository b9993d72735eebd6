#ifndef SERVERSOCKETLISTENER_H
#define SERVERSOCKETLISTENER_H

#include "LibApi.h"

class ServerSocket;
class Socket;

// Receives the connections a ServerSocket accepts, on the server's wait thread.
class LIBAPI ServerSocketListener
{
public:
    virtual ~ServerSocketListener();

    // The listener owns the new connection from here on and deletes it when done.
    virtual void notifyConnection(ServerSocket* server, Socket* connection) = 0;
};

#endif
