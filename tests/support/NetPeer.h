#ifndef NETPEER_H
#define NETPEER_H

// Peers for the network tests: netpeer.py run by Debian's python3 (Wine starts a Unix program
// named by its Z: path, but gives no handle for it), talking to us over 127.0.0.1. Files
// shared with it live under /tmp, which we see as Z:\tmp.
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "WineWait.h"

// A file shared with the peer: its Unix name for the peer, its Windows name for us.
struct PeerFile
{
    explicit PeerFile(std::string const& stem)
    {
        static int serial = 0;
        unixPath = "/tmp/krxnet_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++serial) + "_" + stem;
        winPath = windowsPath(unixPath);
    }
    ~PeerFile() { DeleteFileA(winPath.c_str()); }
    bool exists() { return GetFileAttributesA(winPath.c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::string unixPath, winPath;
};

// Polls a condition; false when it still fails after the time-out.
inline bool waitFor(std::function<bool()> const& condition, DWORD timeoutMs = 60000)
{
    return waitUntil(condition, timeoutMs);
}

// "server PORTFILE MODE ARGS" or "client PORT clients N K RESULT" (see netpeer.py).
inline bool startPeer(std::string const& args)
{
    std::string command = "Z:\\usr\\bin\\python3 \"" KRX_NET_PEER "\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    // For a Unix program Wine leaves the process handle null and the thread handle garbage:
    // closing that could close a handle of ours.
    if (pi.hProcess) {
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    return true;
}

// A peer server in the given mode; its port, or 0 when it did not come up.
inline unsigned int startPeerServer(std::string const& modeAndArgs)
{
    PeerFile portFile("port");
    if (!startPeer("server " + portFile.unixPath + " " + modeAndArgs) ||
        !waitFor([&] { return portFile.exists(); }))
        return 0;
    return static_cast<unsigned int>(std::stoul(readWholeFile(portFile.winPath)));
}

// What a test listener saw, in order.
class EventLog
{
public:
    void add(std::string entry)
    {
        std::lock_guard<std::mutex> lock(mutex);
        entries.push_back(std::move(entry));
    }
    // Waits until the last entry is the given one.
    bool waitForLast(std::string const& entry)
    {
        return waitFor([&] {
            std::lock_guard<std::mutex> lock(mutex);
            return !entries.empty() && entries.back() == entry;
        });
    }
    std::vector<std::string> snapshot()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return entries;
    }

private:
    std::mutex mutex;
    std::vector<std::string> entries;
};

#endif
