#include "SimClient.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace
{

std::string systemText(DWORD error)
{
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = n && text ? std::string(text, n) : std::string("unknown error");
    if (!n && error == 433) // ERROR_NO_SUCH_DEVICE, which Wine has no text for
        result = "no such device";
    if (text)
        LocalFree(text);
    while (!result.empty() &&
           (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    char code[32];
    std::snprintf(code, sizeof code, " (error %lu)", static_cast<unsigned long>(error));
    return result + code;
}

class ControlHandle
{
public:
    explicit ControlHandle(bool krx) : path_(krx ? SIM_CONTROL_KRX_PATH : SIM_CONTROL_VLX_PATH)
    {
        handle_ = CreateFileA(path_, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE)
            throw std::runtime_error(
                std::string("cannot open ") + path_ +
                " (is the simulated driver started?): " + systemText(GetLastError()));
    }
    ~ControlHandle() { CloseHandle(handle_); }
    ControlHandle(ControlHandle const&) = delete;
    ControlHandle& operator=(ControlHandle const&) = delete;

    HANDLE get() const { return handle_; }
    const char* path() const { return path_; }

private:
    const char* path_;
    HANDLE handle_;
};

} // namespace

const char* SimClient::requestName(unsigned long code)
{
    switch (code) {
    case SIM_IOCTL_RESET: return "reset";
    case SIM_IOCTL_ADD_DEVICE: return "add device";
    case SIM_IOCTL_REMOVE_DEVICE: return "remove device";
    case SIM_IOCTL_SET_DRIVER_TEXT: return "set driver text";
    case SIM_IOCTL_SET_DEVICE_NUMBER: return "set stored device number";
    case SIM_IOCTL_SET_VERSION: return "set version";
    case SIM_IOCTL_SET_SERIAL: return "set serial number";
    case SIM_IOCTL_SET_REPLY: return "set version reply";
    case SIM_IOCTL_FAIL: return "inject failure";
    case SIM_IOCTL_CLEAR_FAILURES: return "clear failures";
    case SIM_IOCTL_SET_PENDING: return "set pending mode";
    case SIM_IOCTL_FEED: return "feed";
    case SIM_IOCTL_SET_BLOCKING: return "set blocking read";
    case SIM_IOCTL_GET_STATE: return "get state";
    case SIM_IOCTL_READ_LOG: return "read log";
    case SIM_IOCTL_CLEAR_LOG: return "clear log";
    case SIM_IOCTL_LIST_DEVICES: return "list devices";
    case SIM_IOCTL_SET_FLOOD: return "flood";
    default: return "control request";
    }
}

SimCommand SimClient::command(unsigned n)
{
    SimCommand c;
    std::memset(&c, 0, sizeof c);
    c.device = n;
    return c;
}

void SimClient::request(bool krx, unsigned long code, SimCommand command, std::string const& data,
                        void* out, unsigned long outSize, unsigned long* returned)
{
    if (data.size() > SIM_DATA_MAX)
        throw std::runtime_error(std::string(requestName(code)) + ": more than " +
                                 std::to_string(SIM_DATA_MAX) + " data bytes");
    command.length = static_cast<unsigned>(data.size());
    std::vector<unsigned char> in(sizeof command + data.size());
    std::memcpy(in.data(), &command, sizeof command);
    if (!data.empty())
        std::memcpy(in.data() + sizeof command, data.data(), data.size());

    ControlHandle control(krx);
    DWORD got = 0;
    if (!DeviceIoControl(control.get(), code, in.data(), static_cast<DWORD>(in.size()), out,
                         outSize, &got, nullptr)) {
        DWORD error = GetLastError();
        std::string what = std::string(control.path() + 4) + ": " + requestName(code);
        if (command.device)
            what += " (device " + std::to_string(command.device) + ")";
        throw std::runtime_error(what + ": " + systemText(error));
    }
    if (returned)
        *returned = got;
}

std::vector<SimRequest> SimClient::log(bool krx, unsigned n, unsigned long pageSize)
{
    std::vector<SimRequest> result;
    std::vector<unsigned char> page(pageSize < sizeof(SimLogPage) ? sizeof(SimLogPage) : pageSize);
    unsigned first = 0;
    for (;;) {
        SimCommand c = command(n);
        c.value = first;
        unsigned long got = 0;
        request(krx, SIM_IOCTL_READ_LOG, c, std::string(), page.data(),
                static_cast<unsigned long>(page.size()), &got);
        SimLogPage head;
        if (got < sizeof head)
            throw std::runtime_error("read log: short reply from the driver");
        std::memcpy(&head, page.data(), sizeof head);
        if (head.count == 0) {
            if (head.first >= head.total)
                return result;
            if (head.needed <= page.size())
                throw std::runtime_error("read log: the driver returned no entry");
            page.resize(head.needed);
            continue;
        }
        size_t at = sizeof head;
        for (unsigned i = 0; i < head.count; ++i) {
            SimLogRecord r;
            if (at + sizeof r > got)
                throw std::runtime_error("read log: truncated entry");
            std::memcpy(&r, page.data() + at, sizeof r);
            if (at + SIM_LOG_RECORD_SIZE(r.length) > got)
                throw std::runtime_error("read log: truncated payload");
            SimRequest q;
            q.code = r.code;
            q.payload.assign(page.data() + at + sizeof r, page.data() + at + sizeof r + r.length);
            result.push_back(std::move(q));
            at += SIM_LOG_RECORD_SIZE(r.length);
        }
        first = head.first + head.count;
        if (first >= head.total)
            return result;
    }
}

SimState SimClient::state(bool krx, unsigned n)
{
    SimState s;
    std::memset(&s, 0, sizeof s);
    unsigned long got = 0;
    request(krx, SIM_IOCTL_GET_STATE, command(n), std::string(), &s, sizeof s, &got);
    if (got != sizeof s)
        throw std::runtime_error("get state: short reply from the driver");
    return s;
}

std::vector<unsigned> SimClient::devices(bool krx)
{
    unsigned char bits[32] = {};
    unsigned long got = 0;
    request(krx, SIM_IOCTL_LIST_DEVICES, command(0), std::string(), bits, sizeof bits, &got);
    std::vector<unsigned> result;
    for (unsigned n = 1; n < 256; ++n)
        if (bits[n / 8] & (1u << (n % 8)))
            result.push_back(n);
    return result;
}

void SimClient::resetAll()
{
    request(false, SIM_IOCTL_RESET, command(0));
    request(true, SIM_IOCTL_RESET, command(0));
}

void SimClient::vlxAdd(unsigned n)
{
    request(false, SIM_IOCTL_ADD_DEVICE, command(n));
}
void SimClient::vlxRemove(unsigned n)
{
    request(false, SIM_IOCTL_REMOVE_DEVICE, command(n));
}

void SimClient::vlxSetDriverText(unsigned n, std::string const& text)
{
    request(false, SIM_IOCTL_SET_DRIVER_TEXT, command(n), text);
}

void SimClient::vlxSetVersion(unsigned n, unsigned char major, unsigned char minor,
                              unsigned char mode)
{
    const char bytes[3] = {static_cast<char>(major), static_cast<char>(minor),
                           static_cast<char>(mode)};
    request(false, SIM_IOCTL_SET_VERSION, command(n), std::string(bytes, 3));
}

void SimClient::vlxSetSerial(unsigned n, unsigned char b0, unsigned char b1, unsigned char b2)
{
    const char bytes[3] = {static_cast<char>(b0), static_cast<char>(b1), static_cast<char>(b2)};
    request(false, SIM_IOCTL_SET_SERIAL, command(n), std::string(bytes, 3));
}

void SimClient::vlxSetStoredNumber(unsigned n, unsigned char number)
{
    SimCommand c = command(n);
    c.value = number;
    request(false, SIM_IOCTL_SET_DEVICE_NUMBER, c);
}

unsigned char SimClient::vlxStoredNumber(unsigned n)
{
    return static_cast<unsigned char>(state(false, n).storedNumber);
}

unsigned short SimClient::vlxPortPattern(unsigned n)
{
    return static_cast<unsigned short>(state(false, n).portPattern);
}

void SimClient::fail(bool krx, unsigned n, unsigned long code, long ntstatus, unsigned after,
                     bool sticky)
{
    SimCommand c = command(n);
    c.code = static_cast<unsigned>(code);
    c.status = static_cast<int>(ntstatus);
    c.value = after;
    c.flags = sticky ? SIM_FAIL_STICKY : 0;
    request(krx, SIM_IOCTL_FAIL, c);
}

void SimClient::setPending(bool krx, unsigned n, unsigned delayMs, bool on)
{
    SimCommand c = command(n);
    c.value = delayMs;
    c.flags = on ? SIM_PENDING_ON : 0;
    request(krx, SIM_IOCTL_SET_PENDING, c);
}

void SimClient::setBlockingRead(bool krx, unsigned n, bool blocking)
{
    SimCommand c = command(n);
    c.value = blocking ? 1 : 0;
    request(krx, SIM_IOCTL_SET_BLOCKING, c);
}

void SimClient::vlxFail(unsigned n, unsigned long code, long ntstatus, unsigned after, bool sticky)
{
    fail(false, n, code, ntstatus, after, sticky);
}

void SimClient::vlxClearFailures(unsigned n)
{
    request(false, SIM_IOCTL_CLEAR_FAILURES, command(n));
}

void SimClient::vlxSetPending(unsigned n, unsigned delayMs, bool on)
{
    setPending(false, n, delayMs, on);
}

void SimClient::vlxSetBlockingRead(unsigned n, bool blocking)
{
    setBlockingRead(false, n, blocking);
}

std::vector<SimRequest> SimClient::vlxLog(unsigned n)
{
    return log(false, n);
}
void SimClient::vlxClearLog(unsigned n)
{
    request(false, SIM_IOCTL_CLEAR_LOG, command(n));
}
SimState SimClient::vlxState(unsigned n)
{
    return state(false, n);
}
std::vector<unsigned> SimClient::vlxDevices()
{
    return devices(false);
}

void SimClient::krxAdd(unsigned n)
{
    request(true, SIM_IOCTL_ADD_DEVICE, command(n));
}
void SimClient::krxRemove(unsigned n)
{
    request(true, SIM_IOCTL_REMOVE_DEVICE, command(n));
}

void SimClient::krxSetReply(unsigned n, std::string const& bytes)
{
    request(true, SIM_IOCTL_SET_REPLY, command(n), bytes);
}

void SimClient::krxFeed(unsigned n, std::string const& bytes)
{
    request(true, SIM_IOCTL_FEED, command(n), bytes);
}

void SimClient::krxSetBlockingRead(unsigned n, bool blocking)
{
    setBlockingRead(true, n, blocking);
}

void SimClient::krxFlood(unsigned n, bool on, unsigned bytesPerRead, std::string const& pattern)
{
    SimCommand c = command(n);
    c.flags = on ? SIM_FLOOD_ON : 0;
    c.value = bytesPerRead;
    request(true, SIM_IOCTL_SET_FLOOD, c, on ? pattern : std::string());
}

unsigned long SimClient::krxPending(unsigned n)
{
    return state(true, n).received;
}

void SimClient::krxFail(unsigned n, unsigned long what, long ntstatus, unsigned after, bool sticky)
{
    fail(true, n, what, ntstatus, after, sticky);
}

void SimClient::krxClearFailures(unsigned n)
{
    request(true, SIM_IOCTL_CLEAR_FAILURES, command(n));
}

void SimClient::krxSetPending(unsigned n, unsigned delayMs, bool on)
{
    setPending(true, n, delayMs, on);
}

std::vector<SimRequest> SimClient::krxLog(unsigned n)
{
    return log(true, n);
}
void SimClient::krxClearLog(unsigned n)
{
    request(true, SIM_IOCTL_CLEAR_LOG, command(n));
}
SimState SimClient::krxState(unsigned n)
{
    return state(true, n);
}
std::vector<unsigned> SimClient::krxDevices()
{
    return devices(true);
}
