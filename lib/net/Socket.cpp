#include <winsock2.h>
#include <windows.h>

#include <cstring>

#include "Socket.h"

#include "DebugText.h"
#include "SocketListener.h"
#include "SocketSetup.h"
#include "Win32Exception.h"

long Socket::iSockets = 0;

namespace
{

// The counter and the Winsock start-up it drives: a server's wait thread makes sockets while
// other threads may make or destroy theirs.
SRWLOCK winsockLock = SRWLOCK_INIT;
WSADATA winsockData;

// Set by a wait loop to a flag of its own; a socket destroyed on that thread from one of its
// callbacks raises the flag, and the loop leaves without touching the object again.
thread_local bool* loopObjectGone = nullptr;

class BookkeepingLock
{
public:
    explicit BookkeepingLock(void** lock) : lock(reinterpret_cast<PSRWLOCK>(lock))
    {
        static_assert(sizeof(SRWLOCK) == sizeof(void*), "an SRWLOCK is one pointer");
        AcquireSRWLockExclusive(this->lock);
    }
    ~BookkeepingLock() { ReleaseSRWLockExclusive(lock); }
    BookkeepingLock(BookkeepingLock const&) = delete;
    BookkeepingLock& operator=(BookkeepingLock const&) = delete;

private:
    PSRWLOCK lock;
};

class SocketLock
{
public:
    explicit SocketLock(Mutex& mutex) : mutex(mutex) { mutex.mutexLock(); }
    ~SocketLock() { mutex.mutexUnlock(); }
    SocketLock(SocketLock const&) = delete;
    SocketLock& operator=(SocketLock const&) = delete;

private:
    Mutex& mutex;
};

} // namespace

Socket::Socket() : socket(INVALID_SOCKET)
{
    init();
}

Socket::Socket(std::uintptr_t handle) : socket(handle)
{
    try {
        init();
    } catch (...) {
        closesocket(handle);
        throw;
    }
    try {
        selectEvents(FD_READ | FD_CLOSE);
        startWaitThread();
    } catch (...) {
        disconnect();
        release();
        throw;
    }
}

Socket::~Socket()
{
    shutDown();
    release();
}

void Socket::shutDown()
{
    disconnect();
    if (waitThread && waitThreadId == GetCurrentThreadId() && loopObjectGone)
        *loopObjectGone = true;
    stopWaitThread();
}

void Socket::init()
{
    waitThread = nullptr;
    waitThreadId = 0;
    listener = nullptr;
    pendingRead = false;
    pendingClose = false;
    pendingCloseCode = 0;
    replayRequested = false;
    bookkeeping = nullptr;
    networkEvent = nullptr;
    AcquireSRWLockExclusive(&winsockLock);
    try {
        if (iSockets == 0)
            loadDll();
    } catch (...) {
        ReleaseSRWLockExclusive(&winsockLock);
        throw;
    }
    ++iSockets;
    ReleaseSRWLockExclusive(&winsockLock);
    networkEvent = WSACreateEvent();
    if (networkEvent == WSA_INVALID_EVENT) {
        Win32Exception failure("Winsock-Problem in Funktion 'WSACreateEvent'.", WSAGetLastError());
        networkEvent = nullptr;
        release();
        throw failure;
    }
}

void Socket::release()
{
    if (networkEvent)
        WSACloseEvent(networkEvent);
    networkEvent = nullptr;
    AcquireSRWLockExclusive(&winsockLock);
    try {
        if (--iSockets == 0)
            releaseDll();
    } catch (Exception& e) {
        // Called from destructors, which must not throw.
        debugText(e.what());
    }
    ReleaseSRWLockExclusive(&winsockLock);
}

void Socket::loadDll()
{
    int result = WSAStartup(0x0002, &winsockData);
    if (result != 0)
        throw Win32Exception("Die Winsock-DLL konnte nicht initialisiert werden.", result);
    if (LOBYTE(winsockData.wVersion) < 2) {
        releaseDll();
        throw Win32Exception("Die Winsock-DLL ist zu alt. Mindestens Version 2.0 erforderlich.", 0);
    }
}

void Socket::releaseDll()
{
    if (WSACleanup() != 0)
        throw Win32Exception("Winsock-Problem in Funktion 'WSACleanup'", WSAGetLastError());
}

void Socket::connect(String host, unsigned int port)
{
    disconnect();
    stopWaitThread();
    SocketLock lock(*this);
    socket = SocketSetup::createStream();
    sockaddr_in address = SocketSetup::ipv4Address(port, 0);
    hostent* entry = gethostbyname(host.getChars());
    if (!entry || !entry->h_addr_list || !entry->h_addr_list[0])
        SocketSetup::fail(*this, "Unbekannter Host. ", host.getChars());
    unsigned int length = entry->h_length;
    if (length > sizeof address.sin_addr)
        length = sizeof address.sin_addr;
    memcpy(&address.sin_addr, entry->h_addr_list[0], length);
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        SocketSetup::fail(*this, "Die Verbindung zum Server konnte nicht hergestellt werden!");
    selectEvents(FD_READ | FD_CLOSE);
    startWaitThread();
}

void Socket::disconnect()
{
    {
        SocketLock lock(*this);
        // The handle is marked closed before it is released, so a wait loop that reads it next
        // never uses a handle value the system may already have given to another socket.
        SOCKET closing = socket;
        socket = INVALID_SOCKET;
        if (closing != INVALID_SOCKET) {
            WSAEventSelect(closing, networkEvent, 0);
            closesocket(closing);
        }
    }
    // Outside the lock, as a callback in progress may send.
    if (waitThreadId != GetCurrentThreadId())
        stopWaitThread();
}

int Socket::send(char* data, int length)
{
    SocketLock lock(*this);
    return ::send(socket, data, length, 0);
}

void Socket::send(String text)
{
    send(text.getChars(), static_cast<int>(text.length()));
}

int Socket::receive(char* buffer, int length)
{
    return recv(socket, buffer, length, 0);
}

bool Socket::isConnected()
{
    return socket != INVALID_SOCKET;
}

void Socket::setListener(SocketListener* newListener)
{
    bool read, close;
    int code;
    {
        BookkeepingLock lock(&bookkeeping);
        listener = newListener;
        read = pendingRead && newListener;
        close = pendingClose && newListener;
        code = pendingCloseCode;
        if (!read && !close) {
            pendingRead = pendingClose = replayRequested = false;
            return;
        }
        bool waitThreadRuns = waitThread && waitThreadId != GetCurrentThreadId() &&
            WaitForSingleObject(waitThread, 0) == WAIT_TIMEOUT;
        if (waitThreadRuns) {
            replayRequested = true;
            WSASetEvent(networkEvent);
            return;
        }
        pendingRead = pendingClose = replayRequested = false;
    }
    if (read)
        notifyRead();
    if (close)
        notifyClose(code);
}

bool Socket::replayIfRequested()
{
    bool* gone = loopObjectGone;
    bool read, close;
    int code;
    {
        BookkeepingLock lock(&bookkeeping);
        if (!replayRequested)
            return false;
        replayRequested = false;
        read = pendingRead && listener;
        close = pendingClose && listener;
        code = pendingCloseCode;
        pendingRead = pendingClose = false;
    }
    if (read)
        notifyRead();
    if (close && !(gone && *gone))
        notifyClose(code);
    return true;
}

void Socket::selectEvents(long mask)
{
    if (WSAEventSelect(socket, networkEvent, mask) != 0) {
        int code = WSAGetLastError();
        disconnect();
        throw Win32Exception("Winsock-Problem in Funktion 'WSAEventSelect'.", code);
    }
}

void Socket::startWaitThread()
{
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, waitFunction, this, CREATE_SUSPENDED, &id);
    if (!thread) {
        int code = GetLastError();
        disconnect();
        throw Win32Exception("Der Wait-Thread des Sockets konnte nicht gestartet werden.", code);
    }
    waitThread = thread;
    waitThreadId = id;
    ResumeThread(thread);
}

void Socket::stopWaitThread()
{
    if (!waitThread)
        return;
    HANDLE thread = waitThread;
    bool onWaitThread = waitThreadId == GetCurrentThreadId();
    waitThread = nullptr;
    waitThreadId = 0;
    if (!onWaitThread) {
        WSASetEvent(networkEvent);
        WaitForSingleObject(thread, INFINITE);
        WSAResetEvent(networkEvent);
    }
    // On the wait thread itself the loop sees after the callback that it is no longer the
    // socket's wait thread and leaves.
    CloseHandle(thread);
}

unsigned long __stdcall Socket::waitFunction(void* socket)
{
    static_cast<Socket*>(socket)->wait();
    return 0;
}

void Socket::wait()
{
    debugText("Socket: Wait gestartet.\n");
    bool gone = false;
    loopObjectGone = &gone;
    DWORD self = GetCurrentThreadId();
    auto over = [&] { return gone || waitThreadId != self; };
    // Nothing may leave the thread (it would end the whole program): a failing callback is
    // reported and the loop goes on.
    auto guarded = [&](auto call) {
        try {
            return call();
        } catch (std::exception& e) {
            if (!gone)
                debugText(e.what());
            return true;
        }
    };
    for (;;) {
        // A callback may have deleted the socket: then nothing of it may be touched again.
        if (over())
            break;
        // A replay handed over by setListener comes with a signal of the event; every wake
        // comes back here, so none is lost to the event's reset by the enumeration.
        guarded([&] { return replayIfRequested(); });
        if (over())
            break;
        WSAEVENT event = networkEvent;
        if (WSAWaitForMultipleEvents(1, &event, TRUE, WSA_INFINITE, FALSE) == WSA_WAIT_FAILED)
            break;
        WSANETWORKEVENTS events = {};
        if (WSAEnumNetworkEvents(socket, event, &events) != 0)
            break;
        // Nothing reported is no reason to stop: a receive made after the event was signalled
        // takes the read it announced, and the event stays set (seen under Wine). The loop
        // ends on a closed socket (the enumeration fails) or when stopWaitThread asks it to.
        if (events.lNetworkEvents != 0)
            guarded([&] {
                notifyEvent(&events);
                return true;
            });
    }
    loopObjectGone = nullptr;
    debugText("Socket: Wait beendet.\n");
}

void Socket::notifyEvent(_WSANETWORKEVENTS* events)
{
    bool* gone = loopObjectGone;
    if (events->lNetworkEvents & FD_READ) {
        notifyRead();
        if (gone && *gone)
            return;
    }
    if (events->lNetworkEvents & FD_CLOSE)
        notifyClose(events->iErrorCode[FD_CLOSE_BIT]);
}

void Socket::notifyRead()
{
    SocketListener* current;
    {
        BookkeepingLock lock(&bookkeeping);
        current = listener;
        if (!current)
            pendingRead = true;
    }
    if (current)
        current->notifyReceive(this);
}

void Socket::notifyClose(int error)
{
    debugText("Socket: Connection geschlossen.\n");
    SocketListener* current;
    {
        BookkeepingLock lock(&bookkeeping);
        current = listener;
        if (!current) {
            pendingClose = true;
            pendingCloseCode = error;
        }
    }
    if (current) {
        disconnect();
        current->notifyClose(this);
    }
}
