// Socket and ServerSocket against a python peer on 127.0.0.1, and their failures.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "ErrorText.h"
#include "HandleCount.h"
#include "NetPeer.h"
#include "PrivateBytes.h"
#include "net/ServerSocket.h"
#include "net/SocketListener.h"

namespace
{

// Records the calls in order; reads what is waiting on each read event.
struct Recorder : SocketListener
{
    void notifyReceive(Socket* socket) override
    {
        char buffer[256];
        int n = socket->receive(buffer, sizeof buffer);
        log.add("receive:" + std::string(buffer, n > 0 ? n : 0));
        if (deleteOn == "receive")
            deleteSocket(socket);
    }
    void notifyClose(Socket* socket) override
    {
        log.add(socket->isConnected() ? "close while open" : "close");
        if (deleteOn == "close")
            deleteSocket(socket);
    }
    void deleteSocket(Socket* socket)
    {
        delete socket;
        log.add("deleted");
    }
    EventLog log;
    std::string deleteOn;
};

// Raises a flag once the base class has taken its first event.
struct WatchedSocket : Socket
{
    void notifyRead() override
    {
        Socket::notifyRead();
        eventSeen = true;
    }
    void notifyClose(int error) override
    {
        Socket::notifyClose(error);
        eventSeen = true;
    }
    volatile bool eventSeen = false;
};

} // namespace

TEST(SocketFailures, ExactTextsAndNothingLeftOpen)
{
    Socket socket;
    EXPECT_EQ(thrownText([&] {
                  socket.connect("krx-nohost.invalid", 80);
              }).rfind("Unbekannter Host. krx-nohost.invalid\n", 0),
              0u);

    unsigned int freePort;
    {
        ServerSocket probe(0, true);
        freePort = probe.getPort();
        ASSERT_NE(freePort, 0u);
        EXPECT_EQ(thrownText([&] {
                      ServerSocket again(freePort, true);
                  }).rfind("Winsock-Problem in Funktion 'bind'.\n", 0),
                  0u);
    }
    unsigned long code = 0;
    EXPECT_EQ(thrownText([&] { socket.connect("127.0.0.1", freePort); }, &code)
                  .rfind("Die Verbindung zum Server konnte nicht hergestellt werden!\n", 0),
              0u);
    EXPECT_EQ(code, static_cast<unsigned long>(WSAECONNREFUSED));
    EXPECT_FALSE(socket.isConnected());

    char byte = 'x';
    WSASetLastError(0xdeadbeef);
    EXPECT_EQ(socket.send(&byte, 1), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

// Wine reports a peer's close only once its data has been read: a held read is replayed and
// the close then follows as a new event; a close without data is held and replayed itself.
TEST(SocketEvents, HeldWithoutListenerThenReplayedOrDiscarded)
{
    for (std::string sent : {"abc\r\n", ""}) {
        for (bool discard : {false, true}) {
            PeerFile data("data");
            writeWholeFile(data.winPath, sent);
            unsigned int port = startPeerServer((sent.empty() ? "close " : "send ") +
                                                data.unixPath);
            ASSERT_NE(port, 0u);
            WatchedSocket socket;
            socket.connect("127.0.0.1", port);
            ASSERT_TRUE(waitFor([&] { return socket.eventSeen; }));
            Recorder recorder;
            if (discard)
                socket.setListener(nullptr);
            socket.setListener(&recorder);
            if (discard) {
                EXPECT_TRUE(recorder.log.snapshot().empty());
                EXPECT_TRUE(socket.isConnected()) << "a held close was not delivered";
                continue;
            }
            ASSERT_TRUE(recorder.log.waitForLast("close"));
            auto expected = sent.empty() ? std::vector<std::string>{"close"}
                                         : std::vector<std::string>{"receive:" + sent, "close"};
            EXPECT_EQ(recorder.log.snapshot(), expected);
        }
    }
}

TEST(SocketEvents, DeletedFromItsOwnCallbackLeavesNoThread)
{
    int before = threadCount();
    for (std::string deleteOn : {"receive", "close"}) {
        PeerFile data("data");
        writeWholeFile(data.winPath, "x");
        unsigned int port = startPeerServer("send " + data.unixPath);
        ASSERT_NE(port, 0u);
        Recorder recorder;
        recorder.deleteOn = deleteOn;
        Socket* socket = new Socket();
        socket->setListener(&recorder);
        socket->connect("127.0.0.1", port);
        EXPECT_TRUE(recorder.log.waitForLast("deleted")) << deleteOn;
        EXPECT_EQ(recorder.log.snapshot().front(), "receive:x");
    }
    EXPECT_TRUE(waitFor([&] { return threadCount() <= before; }))
        << threadCount() << " threads, " << before << " before";
}

TEST(SocketResources, WinsockByLiveSocketsAndNoGrowthOverThousandCycles)
{
    unsigned int port = startPeerServer("accept-close 1050");
    ASSERT_NE(port, 0u);
    auto cycle = [&] {
        Socket socket;
        socket.connect("127.0.0.1", port);
    };
    for (int i = 0; i < 50; ++i)
        cycle();
    SIZE_T const bytesBefore = privateBytes();
    long const handlesBefore = openHandles();
    int threadsBefore = threadCount();
    {
        Socket alive;
        SOCKET probe = ::socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_NE(probe, INVALID_SOCKET) << "Winsock runs while a socket lives";
        closesocket(probe);
    }
    for (int i = 0; i < 1000; ++i)
        cycle();
    SIZE_T const bytesAfter = privateBytes();
    EXPECT_LE(threadCount(), threadsBefore);
    EXPECT_LE(openHandles(), handlesBefore + 10);
    EXPECT_LE(bytesAfter, bytesBefore + 2 * 1024 * 1024)
        << bytesBefore << " private bytes before, " << bytesAfter << " after";
    EXPECT_EQ(::socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET)
        << "cleaned up with the last socket";
}
