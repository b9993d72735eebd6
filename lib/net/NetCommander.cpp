#include "NetCommander.h"

#include "DebugText.h"

#include <memory>
#include <string>

NetCommander::NetCommander() : socket(new Socket())
{
    init();
}

NetCommander::NetCommander(Socket* socket) : socket(socket)
{
    init();
}

NetCommander::~NetCommander()
{
    socket->setListener(nullptr);
    delete socket;
}

void NetCommander::init()
{
    lineLength = 0;
    lineTooLong = false;
    socket->setListener(this);
}

void NetCommander::connect(String host, unsigned int port)
{
    socket->connect(host, port);
}

void NetCommander::disconnect()
{
    socket->disconnect();
}

void NetCommander::notifyClose(Socket*)
{
}

void NetCommander::notifyReceive(Socket* from)
{
    char buffer[4096];
    // Everything waiting is read now, so a close reported with this read loses no bytes.
    while (from->isConnected()) {
        int n = from->receive(buffer, sizeof buffer);
        if (n <= 0)
            return;
        for (int i = 0; i < n && from->isConnected(); ++i)
            receiveByte(buffer[i]);
    }
}

void NetCommander::notifyReceive(NetCommand*)
{
}

void NetCommander::notifyParseError(String)
{
}

void NetCommander::send(NetCommand* command)
{
    if (socket->isConnected())
        socket->send(command->toMaskedString() + "\r\n");
}

void NetCommander::receiveByte(char byte)
{
    unsigned char c = static_cast<unsigned char>(byte);
    if (c == '\n' || c == '\r') {
        completeLine();
        return;
    }
    if (c != '\t' && (c < 0x20 || c > 0x7F))
        return;
    if (lineLength >= lineCapacity - 1) {
        lineTooLong = true;
        return;
    }
    line[lineLength++] = c == '\t' ? ' ' : byte;
}

void NetCommander::completeLine()
{
    line[lineLength] = '\0';
    if (lineTooLong) {
        lineTooLong = false;
        lineLength = 0;
        notifyParseError(String("Zeile zu lang (mehr als 1023 Zeichen), verworfen."));
        return;
    }
    if (lineLength == 0)
        return;
    if (debugTextWanted())
        debugText((String("NetCommander: neue Zeile:") + line + "\n").getChars());
    std::unique_ptr<NetCommand> command(new NetCommand());
    lineLength = 0;
    if (parseLine(command.get())) {
        if (debugTextWanted())
            debugText((String("NetCommander: geparst:") + command->toString() + "\n").getChars());
        notifyReceive(command.get());
    }
}

bool NetCommander::parseLine(NetCommand* command)
{
    bool result = true;
    int pos = 0;
    for (;;) {
        while (line[pos] == ' ')
            ++pos;
        if (line[pos] == '\0')
            return result;
        int start = pos;
        bool quoted = false;
        while (line[pos] != '\0') {
            if (line[pos] == '\\') {
                ++pos;
                if (line[pos] == '\0')
                    break;
            } else if (line[pos] == '"') {
                quoted = !quoted;
            } else if (line[pos] == ' ' && !quoted) {
                break;
            }
            ++pos;
        }
        result = parseProp(command, start, pos);
        if (line[pos] == '\0' || !result)
            return result;
    }
}

bool NetCommander::parseProp(NetCommand* command, int start, int end)
{
    std::string token(line + start, line + end);
    if (debugTextWanted())
        debugText((String("NetCommander: parse->") + token.c_str() + "<-\n").getChars());
    std::string::size_type equals = token.find('=');
    if (equals != std::string::npos) {
        String key(token.substr(0, equals).c_str());
        String value = parseValue(token.c_str() + equals + 1);
        command->put(key, value);
        if (debugTextWanted())
            debugText((String("NetCommander: parse->") + key + "->" + value + "<-\n").getChars());
        return true;
    }
    if (command->getCommand().length() == 0) {
        command->setCommand(String(token.c_str()));
        return true;
    }
    notifyParseError(String("Unvollständiger Parameter '") + token.c_str() + "'.");
    return false;
}

String NetCommander::parseValue(char const* text)
{
    std::string value;
    bool quoted = false;
    for (char const* p = text; *p; ++p) {
        if (*p == '\\') {
            if (p[1] == '"') {
                value += '"';
                ++p;
            } else {
                value += '\\';
            }
        } else if (*p == '"') {
            quoted = !quoted;
        } else if (quoted) {
            value += *p;
        }
    }
    return String(value.c_str());
}
