#ifndef NETCOMMANDER_H
#define NETCOMMANDER_H

#include "LibApi.h"
#include "NetCommand.h"
#include "Socket.h"
#include "SocketListener.h"
#include "String.h"

// The line protocol over one Socket: received bytes are put together into lines, each line is
// parsed into a NetCommand and handed to notifyReceive(NetCommand*); send writes a command as
// one line. Lines end with CR or LF (sent ones with CR LF); a TAB counts as a space; bytes
// outside 0x20-0x7F other than TAB are dropped. A token is `word` or `key="value"`, with
// backslash-quote for a quote inside a value.
//
// A line holds at most 1023 characters. A longer one is dropped whole, up to its end, and
// notifyParseError is told; reception goes on with the next line. (Cutting it instead could
// hand on a command whose last parameter is silently incomplete.)
//
// Every notify call runs on the socket's wait thread. The command hook must not delete the
// commander; disconnect() from it is fine and ends reception after the current line.
class LIBAPI NetCommander : public SocketListener
{
public:
    static int const lineCapacity = 1024;

    NetCommander();
    // Takes ownership of the socket; events it received before are replayed now.
    NetCommander(Socket* socket);
    virtual ~NetCommander();

    // Socket::connect; its exceptions pass through.
    void connect(String host, unsigned int port);
    void disconnect();

    virtual void notifyClose(Socket* socket) override;
    // Reads all that is waiting and feeds it to the line assembler byte by byte.
    virtual void notifyReceive(Socket* socket) override;

protected:
    // Each parsed command; it is deleted when this returns.
    virtual void notifyReceive(NetCommand* command);
    virtual void notifyParseError(String text);
    // One line in the masked form, ended by CR LF; dropped silently when not connected.
    void send(NetCommand* command);
    // The line assembler: one received byte.
    void receiveByte(char byte);

private:
    NetCommander(NetCommander const&) = delete;
    NetCommander& operator=(NetCommander const&) = delete;

    void init();
    void completeLine();
    bool parseLine(NetCommand* command);
    bool parseProp(NetCommand* command, int start, int end);
    String parseValue(char const* text);

    Socket* socket;
    char line[lineCapacity];
    int lineLength;
    bool lineTooLong;
};

#endif
