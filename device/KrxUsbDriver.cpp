#include "KrxUsbDriver.h"

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

void closeHandle(HANDLE& h)
{
    if (h != INVALID_HANDLE_VALUE)
    {
        CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
    }
}

HANDLE createEvent()
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    return event ? event : INVALID_HANDLE_VALUE;
}
}

KrxUsbDriver::KrxUsbDriver(unsigned char deviceNumber, bool asynchronous)
    : UsbDriver(deviceNumber), asynchronous(asynchronous), readEvent(INVALID_HANDLE_VALUE),
      writeEvent(INVALID_HANDLE_VALUE), controlEvent(INVALID_HANDLE_VALUE)
{
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
    handle = CreateFileA(getDevicePath(deviceNumber).getChars(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, asynchronous ? FILE_FLAG_OVERLAPPED : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw Win32Exception(openMessage, GetLastError());
    if (asynchronous)
    {
        readEvent = createEvent();
        writeEvent = createEvent();
        controlEvent = createEvent();
        if (readEvent == INVALID_HANDLE_VALUE || writeEvent == INVALID_HANDLE_VALUE ||
            controlEvent == INVALID_HANDLE_VALUE)
        {
            DWORD error = GetLastError();
            close();
            throw Win32Exception(openMessage, error);
        }
    }
    // Whatever arrived before we opened is not an answer to anything we will send.
    try
    {
        DWORD stale = getReceiveCount();
        if (stale > 0)
        {
            // A read takes at most 16 bits of length; a larger count is cut like any length.
            unsigned short length = static_cast<unsigned short>(stale);
            unsigned char* discard = new unsigned char[length ? length : 1];
            try
            {
                read(discard, length);
            }
            catch (...)
            {
                delete[] discard;
                throw;
            }
            delete[] discard;
        }
    }
    catch (...)
    {
        close();
        throw;
    }
}

void KrxUsbDriver::close()
{
    closeHandle(handle);
    closeHandle(readEvent);
    closeHandle(writeEvent);
    closeHandle(controlEvent);
}

template <class Call> DWORD KrxUsbDriver::run(Call call, HANDLE event, char const* message)
{
    DWORD count = 0;
    if (!asynchronous)
    {
        if (!call(&count, nullptr))
            throw Win32Exception(message, GetLastError());
        return count;
    }
    OVERLAPPED overlapped = {};
    overlapped.hEvent = event;
    if (call(&count, &overlapped))
        return count;
    DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING)
        throw Win32Exception(message, error);
    WaitForSingleObject(event, INFINITE);
    if (!GetOverlappedResult(handle, &overlapped, &count, FALSE))
        throw Win32Exception(message, ERROR_IO_PENDING);
    return count;
}

unsigned short KrxUsbDriver::read(unsigned char* buffer, unsigned short length)
{
    HANDLE h = handle;
    DWORD n = run([=](DWORD* count, OVERLAPPED* o) { return ReadFile(h, buffer, length, count, o); }, readEvent,
                  readMessage);
    return static_cast<unsigned short>(n);
}

unsigned short KrxUsbDriver::write(unsigned char const* buffer, unsigned short length)
{
    HANDLE h = handle;
    DWORD n = run([=](DWORD* count, OVERLAPPED* o) { return WriteFile(h, buffer, length, count, o); }, writeEvent,
                  writeMessage);
    return static_cast<unsigned short>(n);
}

unsigned short KrxUsbDriver::control(DWORD code, void const* in, DWORD inLength, void* out, DWORD outLength)
{
    HANDLE h = handle;
    DWORD n = run(
        [=](DWORD* count, OVERLAPPED* o) {
            return DeviceIoControl(h, code, const_cast<void*>(in), inLength, out, outLength, count, o);
        },
        controlEvent, controlMessage);
    return static_cast<unsigned short>(n);
}

DWORD KrxUsbDriver::getReceiveCount()
{
    unsigned char count[4] = {};
    control(KRX_GET_RECEIVE_COUNT, nullptr, 0, count, sizeof count);
    return static_cast<DWORD>(count[0]) | (static_cast<DWORD>(count[1]) << 8) | (static_cast<DWORD>(count[2]) << 16) |
           (static_cast<DWORD>(count[3]) << 24);
}

char* KrxUsbDriver::queryVersion()
{
    unsigned char const request[] = {'v', KRX_LINE_END};
    write(request, sizeof request);
    unsigned int stored = 0;
    for (unsigned int i = 0; i < versionBufferSize - 1; ++i)
    {
        unsigned char c = 0;
        if (read(&c, 1) == 0 || c == KRX_LINE_END)
            break;
        versionReply[stored++] = static_cast<char>(c);
    }
    versionReply[stored] = 0;
    return versionReply;
}
