#include "JoySimClient.h"

#include <windows.h>

#include <newdev.h>
#include <setupapi.h>

#include <stdexcept>
#include <vector>

namespace
{

// {745a17a0-74d3-11d0-b6fe-00a0c90f57da}, the HID device class.
GUID const hidClass = {
    0x745a17a0, 0x74d3, 0x11d0, {0xb6, 0xfe, 0x00, 0xa0, 0xc9, 0x0f, 0x57, 0xda}};

std::runtime_error failure(std::string const& step)
{
    return std::runtime_error("joystick simulator: " + step + " failed (error " +
                              std::to_string(GetLastError()) + ")");
}

std::wstring wide(std::string const& text)
{
    std::vector<wchar_t> out(text.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()));
    return out.data();
}

class DeviceInfoList
{
public:
    DeviceInfoList() : set_(SetupDiCreateDeviceInfoList(&hidClass, nullptr))
    {
        if (set_ == INVALID_HANDLE_VALUE)
            throw failure("SetupDiCreateDeviceInfoList");
    }
    ~DeviceInfoList() { SetupDiDestroyDeviceInfoList(set_); }
    DeviceInfoList(DeviceInfoList const&) = delete;
    DeviceInfoList& operator=(DeviceInfoList const&) = delete;
    HDEVINFO get() const { return set_; }

private:
    HDEVINFO set_;
};

void writeLayout(unsigned axes, unsigned buttons, bool hat)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, JOYSIM_PARAMETERS_KEY, 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw failure("creating the Parameters key");
    DWORD const values[] = {axes, buttons, hat ? 1u : 0u};
    char const* const names[] = {JOYSIM_VALUE_AXES, JOYSIM_VALUE_BUTTONS, JOYSIM_VALUE_HAT};
    LONG result = ERROR_SUCCESS;
    for (int i = 0; i < 3 && result == ERROR_SUCCESS; ++i)
        result = RegSetValueExA(key, names[i], 0, REG_DWORD,
                                reinterpret_cast<BYTE const*>(&values[i]), 4);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        throw failure("writing the layout");
}

bool control(DWORD code, void const* in, DWORD inSize, void* out, DWORD outSize)
{
    HANDLE h = CreateFileA(JOYSIM_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(h, code, const_cast<void*>(in), inSize, out, outSize, &returned,
                              nullptr);
    DWORD error = GetLastError();
    CloseHandle(h);
    SetLastError(error);
    return ok != FALSE;
}

} // namespace

void JoySimClient::add(unsigned axes, unsigned buttons, bool hat, std::string const& infPath)
{
    if (axes < JOYSIM_MIN_AXES || axes > JOYSIM_MAX_AXES || buttons > JOYSIM_MAX_BUTTONS)
        throw std::runtime_error("joystick simulator: 2 to 6 axes and 0 to 32 buttons");
    remove();
    writeLayout(axes, buttons, hat);

    DeviceInfoList set;
    SP_DEVINFO_DATA info = {};
    info.cbSize = sizeof info;
    if (!SetupDiCreateDeviceInfoW(set.get(), L"" JOYSIM_INSTANCE_ID, &hidClass, nullptr, nullptr, 0,
                                  &info))
        throw failure("SetupDiCreateDeviceInfo");
    // A multi-string: the id and an empty string.
    wchar_t const hardwareId[] = L"" JOYSIM_HARDWARE_ID L"\0";
    if (!SetupDiSetDeviceRegistryPropertyW(set.get(), &info, SPDRP_HARDWAREID,
                                           reinterpret_cast<BYTE const*>(hardwareId),
                                           sizeof hardwareId))
        throw failure("setting the hardware id");
    if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.get(), &info))
        throw failure("registering the device");
    BOOL reboot = FALSE;
    if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, L"" JOYSIM_HARDWARE_ID, wide(infPath).c_str(),
                                            INSTALLFLAG_FORCE, &reboot))
        throw failure("installing the driver from " + infPath);

    JoySimLayout now = {};
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(50))
        if (layout(now) && now.axes == axes && now.buttons == buttons && now.hat == (hat ? 1u : 0u))
            return;
    throw std::runtime_error("joystick simulator: the device did not start within 20 s");
}

void JoySimClient::remove()
{
    DeviceInfoList set;
    SP_DEVINFO_DATA info = {};
    info.cbSize = sizeof info;
    if (!SetupDiOpenDeviceInfoW(set.get(), L"" JOYSIM_INSTANCE_ID, nullptr, 0, &info))
        return;
    if (!SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &info))
        throw failure("removing the device");
    JoySimLayout gone = {};
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50))
        if (!layout(gone))
            return;
    throw std::runtime_error(
        "joystick simulator: the device is still there 10 s after its removal");
}

void JoySimClient::set(JoySimState const& state)
{
    if (!control(JOYSIM_IOCTL_SET_STATE, &state, sizeof state, nullptr, 0))
        throw failure("setting the state through " JOYSIM_CONTROL_PATH);
}

bool JoySimClient::layout(JoySimLayout& layout)
{
    return control(JOYSIM_IOCTL_GET_LAYOUT, nullptr, 0, &layout, sizeof layout);
}

std::string JoySimClient::infBesideProgram()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        throw failure("GetModuleFileName");
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of("\\/") + 1) + "joysim.inf";
}
