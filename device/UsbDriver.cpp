#include "UsbDriver.h"

UsbDriver::UsbDriver(unsigned char deviceNumber) : deviceNumber(deviceNumber), handle(INVALID_HANDLE_VALUE)
{
}

UsbDriver::~UsbDriver()
{
}
