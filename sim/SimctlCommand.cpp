#include "SimctlCommand.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "JoySimClient.h"
#include "KrxUsbCodes.h"
#include "SimClient.h"
#include "VlxUsbCodes.h"

namespace
{

const char usageText[] =
    "usage: simctl COMMAND ...\n"
    "  simctl reset                     remove every device of both drivers, forget all state\n"
    "  simctl status                    list the devices of both drivers\n"
    "command station (\\\\.\\VlxUsbN):\n"
    "  simctl vlx add N [OPTIONS]       add device N (1-255); OPTIONS as for set\n"
    "  simctl vlx set N OPTIONS         change device N:\n"
    "        --version MAJOR.MINOR  --mode normal|emergency|BYTE  --serial NUMBER\n"
    "        --text TEXT  --number STORED\n"
    "  simctl vlx remove N              unplug device N\n"
    "  simctl vlx state N               show the device's state (port pattern, stored number ...)\n"
    "  simctl vlx log N                 requests received: code, then payload bytes, in hex\n"
    "  simctl vlx clear-log N\n"
    "  simctl vlx fail N CODE [--after K] [--status NTSTATUS] [--sticky]\n"
    "        fail the next request CODE (after K that pass) with NTSTATUS (default 0xC000009D,\n"
    "        device not connected); --sticky: every one from then on. CODE: a number, or\n"
    "        driver-info test-command test-data get-number set-number version firmware serial "
    "open\n"
    "  simctl vlx clear-failures N\n"
    "  simctl vlx pending N on|off [--delay MS]   complete requests after MS ms (default 100)\n"
    "  simctl vlx blocking N on|off     test-data reads with nothing queued wait (on) or return 0\n"
    "feedback interface (\\\\.\\KrxUsbN):\n"
    "  simctl krx add N [--reply TEXT | --reply-raw BYTES]\n"
    "        --reply: the answer to \"v\" CR, a CR is appended; --reply-raw: exactly BYTES\n"
    "  simctl krx reply N TEXT | simctl krx reply-raw N BYTES\n"
    "  simctl krx remove N\n"
    "  simctl krx feed N BYTES          bytes the device sends to the computer\n"
    "  simctl krx state N | log N | clear-log N | clear-failures N\n"
    "  simctl krx fail N CODE [--after K] [--status NTSTATUS] [--sticky]   CODE: read write count "
    "open\n"
    "  simctl krx pending N on|off [--delay MS]\n"
    "  simctl krx blocking N on|off     reads with nothing received wait (on) or return 0 bytes\n"
    "  simctl krx flood N on|off [--bytes-per-read K] [--pattern BYTES]   send without pause\n"
    "game controller (joysim.sys, seen by winmm's joystick functions):\n"
    "  simctl joy add [--axes N] [--buttons N] [--hat|--no-hat]\n"
    "        install it (again) with N axes (2-6, default 6), N buttons (0-32, default 32), a hat\n"
    "        or none (default: a hat); programs that used the joystick before do not see it\n"
    "  simctl joy set X Y Z R U V POV BUTTONS\n"
    "        axes 0-65535, POV in hundredths of a degree (0, 4500 ... 31500) or 65535 (centred),\n"
    "        BUTTONS a bit mask (bit 0 = button 1)\n"
    "  simctl joy remove                uninstall it\n"
    "  simctl joy status                its layout, or that there is none\n"
    "TEXT and BYTES take the escapes \\r \\n \\t \\\\ \\xHH; BYTES written as hex:76 0D are hex "
    "bytes.\n";

struct UsageError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

// printf onto the end of a text; one line of simctl's output at a time.
void print(std::string& out, const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    out.append(line, static_cast<size_t>(std::clamp(n, 0, int(sizeof line) - 1)));
}

unsigned long parseNumber(std::string const& text, unsigned long max, const char* what)
{
    if (text.empty() || text[0] == '-')
        throw UsageError(std::string("bad ") + what + ": '" + text + "'");
    char* end = nullptr;
    unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (*end || value > max)
        throw UsageError(std::string("bad ") + what + ": '" + text + "'");
    return value;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "hex:76 0D" gives hex bytes; anything else is text with C escapes.
std::string parseBytes(std::string const& text)
{
    std::string out;
    if (text.compare(0, 4, "hex:") == 0) {
        int high = -1;
        for (size_t i = 4; i < text.size(); ++i) {
            char c = text[i];
            if (c == ' ' || c == ',' || c == ':')
                continue;
            int d = hexDigit(c);
            if (d < 0)
                throw UsageError("bad hex digit '" + std::string(1, c) + "' in '" + text + "'");
            if (high < 0) {
                high = d;
            } else {
                out += static_cast<char>(high * 16 + d);
                high = -1;
            }
        }
        if (high >= 0)
            throw UsageError("odd number of hex digits in '" + text + "'");
        return out;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        switch (c) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        case 'x': {
            int a = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
            int b = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
            if (a < 0 || b < 0)
                throw UsageError("\\x needs two hex digits in '" + text + "'");
            out += static_cast<char>(a * 16 + b);
            i += 2;
            break;
        }
        default: throw UsageError(std::string("unknown escape \\") + c + " in '" + text + "'");
        }
    }
    return out;
}

unsigned long parseCode(bool krx, std::string const& name)
{
    struct Named
    {
        const char* name;
        unsigned long code;
    };
    static const Named vlx[] = {
        {"driver-info", VLX_GET_DRIVER_INFO},
        {"test-command", VLX_SEND_TEST_COMMAND},
        {"test-data", VLX_READ_TEST_DATA},
        {"get-number", VLX_GET_DEVICE_NUMBER},
        {"set-number", VLX_SET_DEVICE_NUMBER},
        {"version", VLX_GET_FIRMWARE_VERSION},
        {"firmware", VLX_WRITE_FIRMWARE_BLOCK},
        {"serial", VLX_GET_SERIAL_NUMBER},
        {"open", SIM_REQ_CREATE},
    };
    static const Named krxNames[] = {
        {"read", SIM_REQ_READ},
        {"write", SIM_REQ_WRITE},
        {"count", KRX_GET_RECEIVE_COUNT},
        {"open", SIM_REQ_CREATE},
    };
    if (krx) {
        for (auto const& n : krxNames)
            if (name == n.name)
                return n.code;
    } else {
        for (auto const& n : vlx)
            if (name == n.name)
                return n.code;
    }
    return parseNumber(name, 0xFFFFFFFFul, "request code");
}

std::string hexBytes(std::vector<unsigned char> const& bytes)
{
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, " %02X", c);
        out += b;
    }
    return out;
}

class Args
{
public:
    explicit Args(std::vector<std::string> const& args) : args_(args) {}

    bool more() const { return at_ < args_.size(); }
    std::string next(const char* what)
    {
        if (!more())
            throw UsageError(std::string("missing ") + what);
        return args_[at_++];
    }
    unsigned device()
    {
        return static_cast<unsigned>(parseNumber(next("device number"), 255, "device number"));
    }
    void end() const
    {
        if (more())
            throw UsageError("unexpected argument '" + args_[at_] + "'");
    }

private:
    std::vector<std::string> args_;
    size_t at_ = 0;
};

bool parseOnOff(std::string const& text)
{
    if (text == "on")
        return true;
    if (text == "off")
        return false;
    throw UsageError("expected on or off, not '" + text + "'");
}

void requireDevice(unsigned n)
{
    if (n < 1)
        throw UsageError("device numbers run from 1 to 255");
}

// --version, --mode, --serial, --text, --number for vlx add and vlx set.
void vlxOptions(unsigned n, Args& args)
{
    bool versionGiven = false, modeGiven = false;
    unsigned char version[3];
    SimState s = SimClient::vlxState(n);
    std::memcpy(version, s.version, 3);
    while (args.more()) {
        std::string option = args.next("option");
        if (option == "--version") {
            std::string v = args.next("MAJOR.MINOR");
            size_t dot = v.find('.');
            if (dot == std::string::npos)
                throw UsageError("version must be MAJOR.MINOR, not '" + v + "'");
            version[0] = static_cast<unsigned char>(
                parseNumber(v.substr(0, dot), 255, "major version"));
            std::string minor = v.substr(dot + 1);
            while (minor.size() > 1 && minor[0] == '0')
                minor.erase(0, 1); // "08" is minor 8, not an octal number
            version[1] = static_cast<unsigned char>(parseNumber(minor, 255, "minor version"));
            versionGiven = true;
        } else if (option == "--mode") {
            std::string m = args.next("mode");
            version[2] = m == "normal" ? 0
                : m == "emergency"     ? 1
                                       : static_cast<unsigned char>(parseNumber(m, 255, "mode"));
            modeGiven = true;
        } else if (option == "--serial") {
            unsigned long serial = parseNumber(args.next("serial number"), 0xFFFFFF,
                                               "serial number");
            SimClient::vlxSetSerial(n, static_cast<unsigned char>(serial >> 16),
                                    static_cast<unsigned char>(serial >> 8),
                                    static_cast<unsigned char>(serial));
        } else if (option == "--text") {
            std::string text = parseBytes(args.next("text"));
            if (text.size() > SIM_TEXT_MAX)
                throw UsageError("the driver text holds at most 64 bytes");
            SimClient::vlxSetDriverText(n, text);
        } else if (option == "--number") {
            SimClient::vlxSetStoredNumber(
                n, static_cast<unsigned char>(parseNumber(args.next("number"), 255, "number")));
        } else {
            throw UsageError("unknown option '" + option + "'");
        }
    }
    if (versionGiven || modeGiven)
        SimClient::vlxSetVersion(n, version[0], version[1], version[2]);
}

void printState(bool krx, unsigned n, std::string& out)
{
    SimState s = SimClient::state(krx, n);
    print(out, "device %u: %s\n", n, s.open ? "open" : "closed");
    if (!krx) {
        unsigned serial = (s.serial[0] << 16) | (s.serial[1] << 8) | s.serial[2];
        print(out, "stored number %u, version %u.%02u mode %u, serial %u\n", s.storedNumber,
              s.version[0], s.version[1], s.version[2], serial);
        print(out, "port pattern 0x%04X (%u writes), loop bytes queued %u\n", s.portPattern,
              s.portWrites, s.loopQueued);
    } else {
        print(out, "received bytes waiting %u, flood %s (%u bytes read)\n", s.received,
              s.floodOn ? "on" : "off", s.floodBytes);
    }
    print(out, "pending %s (%u ms), blocking reads %s (%u waiting), failure rules %u\n",
          s.pendingOn ? "on" : "off", s.pendingMs, s.blocking ? "on" : "off", s.waitingReads,
          s.failRules);
    print(out, "log entries %u, not logged %u\n", s.logEntries, s.logDropped);
}

void failCommand(bool krx, unsigned n, Args& args)
{
    unsigned long code = parseCode(krx, args.next("request code"));
    unsigned long after = 0;
    long status = static_cast<long>(0xC000009Dul);
    bool sticky = false;
    while (args.more()) {
        std::string option = args.next("option");
        if (option == "--after")
            after = parseNumber(args.next("K"), 0xFFFFFFFFul, "count");
        else if (option == "--status")
            status = static_cast<long>(parseNumber(args.next("NTSTATUS"), 0xFFFFFFFFul, "status"));
        else if (option == "--sticky")
            sticky = true;
        else
            throw UsageError("unknown option '" + option + "'");
    }
    if (krx)
        SimClient::krxFail(n, code, status, static_cast<unsigned>(after), sticky);
    else
        SimClient::vlxFail(n, code, status, static_cast<unsigned>(after), sticky);
}

void pendingCommand(bool krx, unsigned n, Args& args)
{
    bool on = parseOnOff(args.next("on or off"));
    unsigned long delay = 100;
    while (args.more()) {
        std::string option = args.next("option");
        if (option != "--delay")
            throw UsageError("unknown option '" + option + "'");
        delay = parseNumber(args.next("MS"), 600000, "delay");
    }
    if (krx)
        SimClient::krxSetPending(n, static_cast<unsigned>(delay), on);
    else
        SimClient::vlxSetPending(n, static_cast<unsigned>(delay), on);
}

// Commands both drivers share; false when `verb` is none of them.
bool commonCommand(bool krx, std::string const& verb, Args& args, std::string& out)
{
    if (verb == "remove" || verb == "state" || verb == "log" || verb == "clear-log" ||
        verb == "clear-failures") {
        unsigned n = args.device();
        requireDevice(n);
        args.end();
        SimCommand c = SimClient::command(n);
        if (verb == "remove")
            SimClient::request(krx, SIM_IOCTL_REMOVE_DEVICE, c);
        else if (verb == "state")
            printState(krx, n, out);
        else if (verb == "clear-log")
            SimClient::request(krx, SIM_IOCTL_CLEAR_LOG, c);
        else if (verb == "clear-failures")
            SimClient::request(krx, SIM_IOCTL_CLEAR_FAILURES, c);
        else
            for (SimRequest const& r : SimClient::log(krx, n)) {
                print(out, "0x%08lX", r.code);
                out += hexBytes(r.payload) + "\n";
            }
        return true;
    }
    if (verb == "fail" || verb == "pending" || verb == "blocking") {
        unsigned n = args.device();
        requireDevice(n);
        if (verb == "fail") {
            failCommand(krx, n, args);
        } else if (verb == "pending") {
            pendingCommand(krx, n, args);
        } else {
            bool on = parseOnOff(args.next("on or off"));
            args.end();
            if (krx)
                SimClient::krxSetBlockingRead(n, on);
            else
                SimClient::vlxSetBlockingRead(n, on);
        }
        return true;
    }
    return false;
}

void vlxCommand(Args& args, std::string& out)
{
    std::string verb = args.next("vlx command");
    if (commonCommand(false, verb, args, out))
        return;
    if (verb == "add" || verb == "set") {
        unsigned n = args.device();
        requireDevice(n);
        if (verb == "add")
            SimClient::vlxAdd(n);
        try {
            vlxOptions(n, args);
        } catch (...) {
            if (verb == "add")
                SimClient::vlxRemove(n); // a half-configured device is worse than none
            throw;
        }
        return;
    }
    throw UsageError("unknown vlx command '" + verb + "'");
}

void krxCommand(Args& args, std::string& out)
{
    std::string verb = args.next("krx command");
    if (commonCommand(true, verb, args, out))
        return;
    if (verb == "add") {
        unsigned n = args.device();
        requireDevice(n);
        std::string reply;
        bool replyGiven = false;
        while (args.more()) {
            std::string option = args.next("option");
            if (option == "--reply")
                reply = parseBytes(args.next("reply")) + "\r";
            else if (option == "--reply-raw")
                reply = parseBytes(args.next("reply"));
            else
                throw UsageError("unknown option '" + option + "'");
            replyGiven = true;
        }
        SimClient::krxAdd(n);
        if (replyGiven) {
            try {
                SimClient::krxSetReply(n, reply);
            } catch (...) {
                SimClient::krxRemove(n);
                throw;
            }
        }
        return;
    }
    if (verb == "reply" || verb == "reply-raw" || verb == "feed") {
        unsigned n = args.device();
        requireDevice(n);
        std::string bytes = parseBytes(args.next("bytes"));
        args.end();
        if (verb == "feed")
            SimClient::krxFeed(n, bytes);
        else
            SimClient::krxSetReply(n, verb == "reply" ? bytes + "\r" : bytes);
        return;
    }
    if (verb == "flood") {
        unsigned n = args.device();
        bool on = parseOnOff(args.next("on or off"));
        unsigned long perRead = 256;
        std::string pattern;
        while (args.more()) {
            std::string option = args.next("option");
            if (option == "--bytes-per-read")
                perRead = parseNumber(args.next("K"), SIM_DATA_MAX, "bytes per read");
            else if (option == "--pattern")
                pattern = parseBytes(args.next("pattern"));
            else
                throw UsageError("unknown option '" + option + "'");
        }
        SimClient::krxFlood(n, on, static_cast<unsigned>(perRead), pattern);
        return;
    }
    throw UsageError("unknown krx command '" + verb + "'");
}

void joyCommand(Args& args, std::string& out)
{
    std::string verb = args.next("joy command");
    if (verb == "add") {
        unsigned axes = JOYSIM_MAX_AXES, buttons = JOYSIM_MAX_BUTTONS;
        bool hat = true;
        while (args.more()) {
            std::string option = args.next("option");
            if (option == "--axes") {
                axes = static_cast<unsigned>(
                    parseNumber(args.next("axes"), JOYSIM_MAX_AXES, "axes"));
                if (axes < JOYSIM_MIN_AXES)
                    throw UsageError("a controller has 2 to 6 axes");
            } else if (option == "--buttons") {
                buttons = static_cast<unsigned>(
                    parseNumber(args.next("buttons"), JOYSIM_MAX_BUTTONS, "buttons"));
            } else if (option == "--hat" || option == "--no-hat") {
                hat = option == "--hat";
            } else {
                throw UsageError("unknown option '" + option + "'");
            }
        }
        JoySimClient::add(axes, buttons, hat, JoySimClient::infBesideProgram());
        return;
    }
    if (verb == "set") {
        JoySimState state = {};
        static const char* const axisNames[] = {"X", "Y", "Z", "R", "U", "V"};
        for (int i = 0; i < 6; ++i)
            state.axes[i] = static_cast<unsigned>(
                parseNumber(args.next(axisNames[i]), JOYSIM_AXIS_MAX, axisNames[i]));
        state.pov = static_cast<unsigned>(
            parseNumber(args.next("POV"), JOYSIM_POV_CENTERED, "POV"));
        state.buttons = static_cast<unsigned>(
            parseNumber(args.next("BUTTONS"), 0xFFFFFFFFu, "BUTTONS"));
        args.end();
        JoySimClient::set(state);
        return;
    }
    if (verb == "remove") {
        args.end();
        JoySimClient::remove();
        return;
    }
    if (verb == "status") {
        args.end();
        JoySimLayout layout = {};
        if (JoySimClient::layout(layout))
            print(out, "joystick: %u axes, %u buttons, %s\n", layout.axes, layout.buttons,
                  layout.hat ? "hat" : "no hat");
        else
            out += "joystick: none\n";
        return;
    }
    throw UsageError("unknown joy command '" + verb + "'");
}

void printDevices(const char* name, std::vector<unsigned> const& devices, std::string& out)
{
    out += name + std::string(":");
    for (unsigned n : devices)
        out += " " + std::to_string(n);
    out += devices.empty() ? " none\n" : "\n";
}

} // namespace

int runSimctlCommand(std::vector<std::string> const& arguments, std::string& out, std::string& err)
{
    Args args(arguments);
    try {
        std::string command = args.next("command");
        if (command == "reset") {
            args.end();
            SimClient::resetAll();
        } else if (command == "status") {
            args.end();
            printDevices("VlxUsb", SimClient::vlxDevices(), out);
            printDevices("KrxUsb", SimClient::krxDevices(), out);
        } else if (command == "vlx") {
            vlxCommand(args, out);
        } else if (command == "krx") {
            krxCommand(args, out);
        } else if (command == "joy") {
            joyCommand(args, out);
        } else if (command == "help" || command == "--help" || command == "-h") {
            out += usageText;
        } else {
            throw UsageError("unknown command '" + command + "'");
        }
    } catch (UsageError const& e) {
        err += "simctl: " + std::string(e.what()) + "\n" + usageText;
        return 2;
    } catch (std::exception const& e) {
        err += "simctl: " + std::string(e.what()) + "\n";
        return 1;
    }
    return 0;
}
