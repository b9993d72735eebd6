#ifndef SOCKET_H
#define SOCKET_H

#include <cstdint>

#include "LibApi.h"
#include "Mutex.h"
#include "String.h"

class SocketListener;
struct _WSANETWORKEVENTS;

// A TCP connection: made with connect, or handed over by a ServerSocket. Each open socket has
// one wait thread of its own that turns the network events into notifyRead/notifyClose and,
// through them, into calls of the listener; every such call runs on that thread. The mutex
// serialises connect, disconnect and send. Winsock is started with the first live socket and
// cleaned up with the last one.
class LIBAPI Socket : public Mutex
{
public:
    Socket();
    // Wraps a connected handle (from accept) and starts its wait thread. Throws Win32Exception
    // when its events cannot be selected; the handle is closed then.
    explicit Socket(std::uintptr_t handle);
    // Closes the connection and ends the wait thread. Run from one of the socket's own
    // callbacks, it does not wait for that thread, which then leaves without touching the
    // object again.
    virtual ~Socket();

    // Blocking connect over IPv4 to a host name or dotted address; throws Win32Exception.
    // An open connection is closed first.
    void connect(String host, unsigned int port);
    // Called from any thread but the wait thread, it also waits for a callback in progress to
    // return: no callback starts after it. (A derived listener calls it in its destructor.)
    void disconnect();
    // One send call; the platform's result (bytes sent or SOCKET_ERROR) is passed through.
    int send(char* data, int length);
    void send(String text);
    // One receive call, not locked; the platform's result is passed through. The socket is
    // non-blocking while open: an empty queue gives SOCKET_ERROR with WSAEWOULDBLOCK.
    int receive(char* buffer, int length);
    bool isConnected();
    // Events that arrived without a listener are replayed to the new one, the read before the
    // close; with none they are dropped. Like every event, the replay is delivered on the wait
    // thread: called from another thread while that one runs, it hands the replay over to it
    // and returns (so no two callbacks of one socket ever run at once).
    void setListener(SocketListener* listener);

protected:
    void startWaitThread();
    static unsigned long __stdcall waitFunction(void* socket);
    void wait();
    virtual void notifyEvent(_WSANETWORKEVENTS* events);
    virtual void notifyClose(int error);
    virtual void notifyRead();

    // Selects the network events of the open socket on the object's event; throws
    // Win32Exception (after disconnect) when that fails.
    void selectEvents(long mask);
    // Ends the wait thread (unless called on it) and releases its handle.
    void stopWaitThread();
    // For destructors: closes, ends the wait thread, and on that thread tells its loop that
    // the object is gone.
    void shutDown();

    std::uintptr_t socket;

private:
    Socket(Socket const&) = delete;
    Socket& operator=(Socket const&) = delete;

    void init();
    // Takes a replay that setListener handed over and delivers it; false when there was none.
    bool replayIfRequested();
    // Undoes init: the event and this socket's share of Winsock.
    void release();
    static void loadDll();
    static void releaseDll();

    void* waitThread;
    unsigned long waitThreadId;
    SocketListener* listener;
    bool pendingRead;
    bool pendingClose;
    int pendingCloseCode;
    void* networkEvent;
    bool replayRequested;
    // An SRWLOCK (one pointer, zero when free) over listener, the pending flags and
    // replayRequested; never held during a callback.
    void* bookkeeping;

    static long iSockets;
};

#endif
