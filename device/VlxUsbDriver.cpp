#include "VlxUsbDriver.h"

#include "VlxUsbCodes.h"
#include "Win32Exception.h"

namespace
{
char const openMessage[] = "Fehler beim Öffnen des Vlx-Usb-Treibers.";
char const accessMessage[] = "Fehler beim Zugriff auf den Vlx-Usb-Treiber.";

char driverInfo[VLX_DRIVER_INFO_SIZE];

// error: CreateFile's last error, read before the path is released.
Handle openDevice(unsigned char deviceNumber, DWORD& error)
{
    String path = VlxUsbDriver::getDevicePath(deviceNumber);
    Handle device(CreateFileA(path.getChars(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    error = device.isValid() ? ERROR_SUCCESS : GetLastError();
    return device;
}
}

VlxUsbDriver::VlxUsbDriver(unsigned char deviceNumber) : UsbDriver(deviceNumber)
{
    DWORD error = ERROR_SUCCESS;
    handle = openDevice(deviceNumber, error);
    if (!handle.isValid())
        throw Win32Exception(openMessage, error);
}

VlxUsbDriver::~VlxUsbDriver()
{
    handle.close();
}

String VlxUsbDriver::getDevicePath(unsigned char deviceNumber)
{
    return String("\\\\.\\VlxUsb") + String(static_cast<unsigned int>(deviceNumber));
}

bool VlxUsbDriver::isPresent(unsigned char deviceNumber)
{
    DWORD error = ERROR_SUCCESS;
    return openDevice(deviceNumber, error).isValid() || isPresentAfterOpenError(error);
}

bool VlxUsbDriver::isPresentAfterOpenError(DWORD error)
{
    return error != ERROR_FILE_NOT_FOUND;
}

DWORD VlxUsbDriver::request(DWORD code, void const* in, DWORD inLength, void* out, DWORD outLength)
{
    // An event that no other outstanding request holds, so requests of several threads never
    // share one; it goes back to the channel's pool when the request ends, however it ends.
    EventPool::Lease event = events.take(accessMessage);
    HANDLE device = handle.get();
    return overlappedRequest(
        [=](DWORD* count, OVERLAPPED* overlapped) {
            return DeviceIoControl(device, code, const_cast<void*>(in), inLength, out, outLength,
                                   count, overlapped);
        },
        event.get(), accessMessage);
}

char* VlxUsbDriver::getDriverInfo()
{
    driverInfo[0] = 0;
    DWORD n = request(VLX_GET_DRIVER_INFO, nullptr, 0, driverInfo, sizeof driverInfo);
    // A full reply need not carry its NUL: the last byte gives way to it.
    driverInfo[n < sizeof driverInfo ? n : sizeof driverInfo - 1] = 0;
    return driverInfo;
}

void VlxUsbDriver::sendTestCommand(unsigned char selector, unsigned short value)
{
    unsigned char const record[4] = {VLX_TEST_COMMAND_TAG, selector,
                                     static_cast<unsigned char>(value & 0xFF),
                                     static_cast<unsigned char>(value >> 8)};
    request(VLX_SEND_TEST_COMMAND, record, sizeof record, nullptr, 0);
}

unsigned short VlxUsbDriver::readTestData(unsigned char* buffer, unsigned short maxLength)
{
    return static_cast<unsigned short>(request(VLX_READ_TEST_DATA, nullptr, 0, buffer, maxLength));
}

unsigned char VlxUsbDriver::getDeviceNumber()
{
    unsigned char number = 0;
    request(VLX_GET_DEVICE_NUMBER, nullptr, 0, &number, 1);
    return number;
}

void VlxUsbDriver::setDeviceNumber(unsigned char number)
{
    request(VLX_SET_DEVICE_NUMBER, &number, 1, nullptr, 0);
}

unsigned short VlxUsbDriver::getFirmwareVersion()
{
    unsigned char version[3] = {};
    request(VLX_GET_FIRMWARE_VERSION, nullptr, 0, version, sizeof version);
    return static_cast<unsigned short>(version[0] * 100 + version[1]);
}

bool VlxUsbDriver::isEmergencyMode()
{
    unsigned char version[3] = {};
    request(VLX_GET_FIRMWARE_VERSION, nullptr, 0, version, sizeof version);
    return version[2] != 0;
}

void VlxUsbDriver::writeFirmwareBlock(unsigned char const* data, unsigned char length)
{
    request(VLX_WRITE_FIRMWARE_BLOCK, length ? data : nullptr, length, nullptr, 0);
}

DWORD VlxUsbDriver::getSerialNumber()
{
    unsigned char serial[3] = {};
    request(VLX_GET_SERIAL_NUMBER, nullptr, 0, serial, sizeof serial);
    return (static_cast<DWORD>(serial[0]) << 16) | (static_cast<DWORD>(serial[1]) << 8) | serial[2];
}
