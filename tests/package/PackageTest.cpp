#include <gtest/gtest.h>

#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "KrxApp.h"
#include "SimClient.h"
#include "Version.h"
#include "resource.h"

// The release as a technician gets it: the installer, named after the program's version, installs
// silently under Program Files with a Start-menu entry and an uninstall entry, the installed
// program finds the simulated devices, and the silent uninstall leaves nothing behind.
namespace
{

char const* const UNINSTALL_KEY =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelmoraKrx40";
char const* const VENDOR_KEY = "Software\\Velmora";

std::string folderPath(int csidl)
{
    char path[MAX_PATH] = "";
    return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path
                                                                                          : "";
}

bool exists(std::string const& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool keyExists(char const* key)
{
    HKEY h = nullptr;
    bool found = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h) == ERROR_SUCCESS;
    RegCloseKey(h);
    return found;
}

// A string value of the uninstall entry, or "<missing>".
std::string uninstallValue(char const* name)
{
    char value[MAX_PATH * 2] = "<missing>";
    DWORD size = sizeof(value);
    RegGetValueA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, name, RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

// The target of a shell link, or "" when it does not load.
std::string shortcutTarget(std::string const& link)
{
    std::string target;
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(link.begin(), link.end());
        char path[MAX_PATH] = "";
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
            SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)))
            target = path;
        file->Release();
    }
    shellLink->Release();
    return target;
}

// Runs an installer or uninstaller silently to its end; its exit code, or -1 when it did not start
// or did not end in time.
long runSilently(std::string const& path, DWORD timeoutMs)
{
    KrxApp process;
    return process.startProgram(path, "/S") ? process.waitExit(timeoutMs) : -1;
}

TEST(PackageE2e, InstallsStartsAndUninstallsSilently)
{
    CoInitialize(nullptr);
    std::string const folder = folderPath(CSIDL_PROGRAM_FILES) + "\\Velmora KRX-40";
    std::string const program = folder + "\\VelmoraKrx40.exe";
    std::string const uninstaller = folder + "\\Uninstall.exe";
    std::string const menuFolder = folderPath(CSIDL_COMMON_PROGRAMS) + "\\Velmora KRX-40";

    // The installer's name carries the version the program reports.
    std::string installer = windowsPath(KRX_PACKAGE_DIR "/VelmoraKrx40-" KRX_VERSION "-setup.exe");
    ASSERT_EQ(0, runSilently(installer, 180000)) << installer;

    EXPECT_TRUE(exists(folder + "\\vlxflash.exe"));
    EXPECT_FALSE(exists(folder + "\\Simulator")) << "the demonstration component is off by default";

    EXPECT_EQ(KRX_VERSION, uninstallValue("DisplayVersion"));
    EXPECT_EQ(program, uninstallValue("DisplayIcon"));
    EXPECT_EQ("\"" + uninstaller + "\"", uninstallValue("UninstallString"));

    std::string target = shortcutTarget(menuFolder + "\\Velmora KRX-40.lnk");
    EXPECT_EQ(program, target) << "the Start-menu entry";

    // The installed program runs from there on its own and finds the simulated devices (what else
    // it shows is the end-to-end tests').
    {
        SimClient::resetAll();
        SimClient::vlxAdd(3);
        SimClient::krxAdd(3);
        KrxApp app;
        ASSERT_TRUE(app.startProgram(program, ""));
        HWND list = app.mainControl(IDC_DEVICE_LIST);
        ASSERT_NE(nullptr, list) << "no main window";
        EXPECT_TRUE(waitUntil(
            [&] { return KrxApp::comboTexts(list) == std::vector<std::string>{"3"}; }, 10000));
        EXPECT_EQ(0, app.close());
        SimClient::resetAll();
    }

    // The uninstaller runs from a copy of itself in the temporary folder: its own process ends
    // at once, the copy removes the rest (and is itself removed when Windows next starts).
    ASSERT_EQ(0, runSilently(uninstaller, 60000));
    auto gone = [&] {
        return !exists(folder) && !exists(menuFolder) && !keyExists(UNINSTALL_KEY) &&
            !keyExists(VENDOR_KEY);
    };
    EXPECT_TRUE(waitUntil(gone, 120000))
        << "left behind: folder " << exists(folder) << ", Start menu " << exists(menuFolder)
        << ", uninstall entry " << keyExists(UNINSTALL_KEY) << ", vendor key "
        << keyExists(VENDOR_KEY);
}

}
