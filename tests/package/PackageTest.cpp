#include <gtest/gtest.h>

#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "KrxApp.h"
#include "SimClient.h"
#include "Version.h"
#include "resource.h"

// The release as a technician gets it: the installer, named after the program's version, installs
// silently under Program Files with a Start-menu entry and an uninstall entry, the installed
// program runs against the simulated devices, and the silent uninstall leaves nothing behind.
namespace
{

char const* const UNINSTALL_KEY =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelmoraKrx40";
char const* const VENDOR_KEY = "Software\\Velmora";
char const* const SHORTCUT_NAME = "Velmora KRX-40.lnk";

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

// Runs a program to its end; its exit code (-1 when it did not end in time) and the time it took.
long runToEnd(std::string const& path, std::string const& arguments, DWORD timeoutMs, DWORD* tookMs)
{
    KrxApp process;
    ULONGLONG start = GetTickCount64();
    long code = process.startProgram(path, arguments) ? process.waitExit(timeoutMs) : -1;
    *tookMs = static_cast<DWORD>(GetTickCount64() - start);
    return code;
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
    ASSERT_TRUE(exists(installer)) << installer;
    DWORD installMs = 0;
    ASSERT_EQ(0, runToEnd(installer, "/S", 180000, &installMs));
    std::printf("silent install: %lu ms\n", installMs);

    EXPECT_TRUE(exists(program));
    EXPECT_TRUE(exists(folder + "\\vlxflash.exe"));
    EXPECT_TRUE(exists(uninstaller));
    EXPECT_FALSE(exists(folder + "\\Simulator")) << "the demonstration component is off by default";

    EXPECT_EQ("Velmora KRX-40", uninstallValue("DisplayName"));
    EXPECT_EQ(KRX_VERSION, uninstallValue("DisplayVersion"));
    EXPECT_EQ("Velmora", uninstallValue("Publisher"));
    EXPECT_EQ(program, uninstallValue("DisplayIcon"));
    EXPECT_EQ("\"" + uninstaller + "\"", uninstallValue("UninstallString"));

    std::string target = shortcutTarget(menuFolder + "\\" + SHORTCUT_NAME);
    EXPECT_EQ(program, target) << "the Start-menu entry";

    // The installed program is this build's (its version text) and finds the simulated devices.
    {
        SimClient::resetAll();
        SimClient::vlxAdd(3);
        SimClient::krxAdd(3);
        KrxApp app;
        ASSERT_TRUE(app.startProgram(program, ""));
        ASSERT_NE(nullptr, app.mainWindow()) << "no main window";
        HWND version = app.mainControl(IDC_VERSION);
        EXPECT_TRUE(
            waitUntil([&] { return KrxApp::text(version) == "Version: " KRX_VERSION; }, 10000))
            << KrxApp::text(version);
        HWND list = app.mainControl(IDC_DEVICE_LIST);
        EXPECT_TRUE(waitUntil(
            [&] { return KrxApp::comboTexts(list) == std::vector<std::string>{"3"}; }, 10000));
        app.screenshot(app.mainWindow(0), "installed-program");
        EXPECT_EQ(0, app.close());
    }

    // The uninstaller runs from a copy of itself in the temporary folder: its own process ends
    // at once, the copy removes the rest (and is itself removed when Windows next starts).
    DWORD uninstallMs = 0;
    ASSERT_EQ(0, runToEnd(uninstaller, "/S", 60000, &uninstallMs));
    ULONGLONG start = GetTickCount64();
    auto gone = [&] {
        return !exists(folder) && !exists(menuFolder) && !keyExists(UNINSTALL_KEY) &&
            !keyExists(VENDOR_KEY);
    };
    EXPECT_TRUE(waitUntil(gone, 120000))
        << "left behind: folder " << exists(folder) << ", Start menu " << exists(menuFolder)
        << ", uninstall entry " << keyExists(UNINSTALL_KEY) << ", vendor key "
        << keyExists(VENDOR_KEY);
    std::printf("silent uninstall: %lu ms\n",
                uninstallMs + static_cast<DWORD>(GetTickCount64() - start));
}

}
