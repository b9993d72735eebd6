// Parsed commands per second from one peer's burst through NetCommander, against a bare recv
// loop reading the same bytes in the same run, and against a commander that reads one byte per
// read event. The peer is tests/support/netpeer.py on 127.0.0.1.
// Usage: net_bench.exe [commands [rounds [commands-for-one-byte-reads]]]  (10000, 7, 300)
// One byte per read event is so slow under Wine that it gets a shorter burst of its own.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "net/NetCommander.h"
#include "NetPeer.h"

namespace
{

class CountingCommander : public NetCommander
{
public:
    using NetCommander::notifyReceive;
    std::atomic<int> commands{0};
    std::atomic<bool> closed{false};

protected:
    void notifyReceive(NetCommand*) override { ++commands; }
    void notifyClose(Socket*) override { closed = true; }
};

// What reading one byte per read event gives: the assembler fed from single-byte receives.
class OneByteCommander : public CountingCommander
{
public:
    void notifyReceive(Socket* socket) override
    {
        char byte;
        if (socket->receive(&byte, 1) == 1)
            receiveByte(byte);
    }
};

using bench::now;

// Seconds from connect to the close, or -1.
double viaCommander(CountingCommander& commander, unsigned int port, int expected)
{
    double start = now();
    commander.connect("127.0.0.1", port);
    if (!waitFor([&] { return commander.closed.load(); }, 600000) || commander.commands != expected)
        return -1;
    return now() - start;
}

double viaBareRecv(unsigned int port, long long expectedBytes)
{
    double start = now();
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return -1;
    char buffer[4096];
    long long total = 0;
    for (int n; (n = recv(s, buffer, sizeof buffer, 0)) > 0;)
        total += n;
    closesocket(s);
    return total == expectedBytes ? now() - start : -1;
}

struct Series
{
    char const* name;
    std::vector<double> rates;
    void report(double reference)
    {
        std::sort(rates.begin(), rates.end());
        double median = rates[rates.size() / 2];
        printf("%-28s median %10.0f commands/s  (min %.0f, max %.0f)  ratio to bare %.3f\n", name,
               median, rates.front(), rates.back(), median / reference);
    }
};

} // namespace

int main(int argc, char** argv)
{
    int commands = argc > 1 ? atoi(argv[1]) : 10000;
    int rounds = argc > 2 ? atoi(argv[2]) : 7;
    int oneByteCommands = argc > 3 ? atoi(argv[3]) : 300;
    PeerFile data("bench"), shortData("bench_short");
    std::string wire, shortWire;
    for (int i = 0; i < commands; ++i) {
        std::string line = "set loco=\"" + std::to_string(i % 100) + "\" speed=\"" +
            std::to_string(i % 128) + "\" dir=\"v\"\r\n";
        wire += line;
        if (i < oneByteCommands)
            shortWire += line;
    }
    writeWholeFile(data.winPath, wire);
    writeWholeFile(shortData.winPath, shortWire);
    WSADATA wsa;
    WSAStartup(0x0202, &wsa);
    Series bare{"bare recv loop", {}}, chunked{"NetCommander (as built)", {}},
        oneByte{"one byte per read event", {}};
    for (int round = 0; round < rounds; ++round) {
        for (Series* series : {&bare, &chunked, &oneByte}) {
            bool oneByteRead = series == &oneByte;
            int sent = oneByteRead ? oneByteCommands : commands;
            unsigned int port = startPeerServer("send " +
                                                (oneByteRead ? shortData : data).unixPath);
            double seconds = -1;
            if (series == &bare) {
                seconds = viaBareRecv(port, static_cast<long long>(wire.size()));
            } else if (series == &chunked) {
                CountingCommander commander;
                seconds = viaCommander(commander, port, commands);
            } else {
                OneByteCommander commander;
                seconds = viaCommander(commander, port, oneByteCommands);
            }
            if (port == 0 || seconds <= 0) {
                printf("round %d, %s: failed\n", round + 1, series->name);
                return 1;
            }
            series->rates.push_back(sent / seconds);
            printf("round %d, %-26s %8.3f s\n", round + 1, series->name, seconds);
            fflush(stdout);
        }
    }
    printf("%d commands of %zu bytes in all (one byte per read: %d), %d rounds\n", commands,
           wire.size(), oneByteCommands, rounds);
    std::sort(bare.rates.begin(), bare.rates.end());
    double reference = bare.rates[bare.rates.size() / 2];
    for (Series* series : {&bare, &chunked, &oneByte})
        series->report(reference);
    WSACleanup();
    return 0;
}
