#include "KrxUsbDriver.h"

#include <vector>

#include "KrxUsbCodes.h"
#include "Win32Exception.h"

namespace
{
char const openMessage[] = "Fehler beim Öffnen des Krx-Usb-Treibers.";
char const readMessage[] = "Fehler beim Lesezugriff auf den Krx-Usb-Treibers.";
char const writeMessage[] = "Fehler beim Schreibzugriff auf den Krx-Usb-Treibers.";
char const controlMessage[] = "Fehler beim Control-Zugriff auf den Krx-Usb-Treibers.";

unsigned int const versionBufferSize = 256;
char versionReply[versionBufferSize];

Handle createEvent()
{
    Handle event = Handle::createEvent(false, false);
    if (!event.isValid()) {
        DWORD error = GetLastError();
        throw Win32Exception(openMessage, error);
    }
    return event;
}
}

KrxUsbDriver::KrxUsbDriver(unsigned char deviceNumber, bool asynchronous)
    : UsbDriver(deviceNumber), asynchronous(asynchronous)
{
    // What open() has opened when it throws is closed by the members' own destructors.
    open();
}

KrxUsbDriver::~KrxUsbDriver()
{
    close();
}

String KrxUsbDriver::getDevicePath(unsigned char deviceNumber)
{
    return String("\\\\.\\KrxUsb") + String(static_cast<unsigned int>(deviceNumber));
}

void KrxUsbDriver::open()
{
    String path = getDevicePath(deviceNumber);
    handle.reset(CreateFileA(path.getChars(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING,
                             asynchronous ? FILE_FLAG_OVERLAPPED : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.isValid()) {
        DWORD error = GetLastError();
        throw Win32Exception(openMessage, error);
    }
    if (asynchronous) {
        readEvent = createEvent();
        writeEvent = createEvent();
        controlEvent = createEvent();
    }
    // Whatever arrived before we opened is not an answer to anything we will send.
    DWORD stale = getReceiveCount();
    if (stale > 0) {
        // A read takes at most 16 bits of length; a larger count is cut like any length.
        unsigned short length = static_cast<unsigned short>(stale);
        std::vector<unsigned char> discard(length ? length : 1);
        read(discard.data(), length);
    }
}

void KrxUsbDriver::close()
{
    handle.close();
    readEvent.close();
    writeEvent.close();
    controlEvent.close();
}

template <class Call>
DWORD KrxUsbDriver::run(Call call, HANDLE event, char const* message)
{
    if (asynchronous)
        return overlappedRequest(call, event, message);
    DWORD count = 0;
    if (!call(&count, nullptr)) {
        DWORD error = GetLastError();
        throw Win32Exception(message, error);
    }
    return count;
}

unsigned short KrxUsbDriver::read(unsigned char* buffer, unsigned short length)
{
    HANDLE h = handle.get();
    DWORD n = run(
        [=](DWORD* count, OVERLAPPED* o) { return ReadFile(h, buffer, length, count, o); },
        readEvent.get(), readMessage);
    return static_cast<unsigned short>(n);
}

unsigned short KrxUsbDriver::write(unsigned char const* buffer, unsigned short length)
{
    HANDLE h = handle.get();
    DWORD n = run(
        [=](DWORD* count, OVERLAPPED* o) { return WriteFile(h, buffer, length, count, o); },
        writeEvent.get(), writeMessage);
    return static_cast<unsigned short>(n);
}

unsigned short KrxUsbDriver::control(DWORD code, void const* in, DWORD inLength, void* out,
                                     DWORD outLength)
{
    HANDLE h = handle.get();
    DWORD n = run(
        [=](DWORD* count, OVERLAPPED* o) {
            return DeviceIoControl(h, code, const_cast<void*>(in), inLength, out, outLength, count,
                                   o);
        },
        controlEvent.get(), controlMessage);
    return static_cast<unsigned short>(n);
}

DWORD KrxUsbDriver::getReceiveCount()
{
    unsigned char count[4] = {};
    control(KRX_GET_RECEIVE_COUNT, nullptr, 0, count, sizeof count);
    return static_cast<DWORD>(count[0]) | (static_cast<DWORD>(count[1]) << 8) |
        (static_cast<DWORD>(count[2]) << 16) | (static_cast<DWORD>(count[3]) << 24);
}

char* KrxUsbDriver::queryVersion()
{
    unsigned char const request[] = {'v', KRX_LINE_END};
    write(request, sizeof request);
    unsigned int stored = 0;
    for (unsigned int i = 0; i < versionBufferSize - 1; ++i) {
        unsigned char c = 0;
        if (read(&c, 1) == 0 || c == KRX_LINE_END)
            break;
        versionReply[stored++] = static_cast<char>(c);
    }
    versionReply[stored] = 0;
    return versionReply;
}
