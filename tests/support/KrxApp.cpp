#include "KrxApp.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <fstream>

std::vector<HWND> KrxApp::topWindows(DWORD processId, char const* className, char const* caption)
{
    std::vector<HWND> found;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, className, nullptr)) != nullptr;) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == processId && IsWindowVisible(w) && (!caption || text(w) == caption))
            found.push_back(w);
    }
    return found;
}

KrxApp::~KrxApp()
{
    if (process.hProcess == nullptr)
        return;
    if (isRunning())
        close(5000); // terminates the program when it does not end in time
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

bool KrxApp::start(std::string const& arguments)
{
    return startProgram(windowsPath(KRX_PROGRAM_PATH), arguments);
}

bool KrxApp::startProgram(std::string const& path, std::string const& arguments)
{
    if (process.hProcess != nullptr)
        return false;
    std::string commandLine = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    // Wine now and then refuses a start right after another program of the run has ended, with
    // ERROR_INTERNAL_ERROR; the same start a moment later goes through.
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &process))
            return true;
        DWORD error = GetLastError();
        std::fprintf(stderr, "CreateProcess %s failed: %lu\n", commandLine.c_str(), error);
        if (error != ERROR_INTERNAL_ERROR || attempt == 3)
            break;
        Sleep(500);
    }
    process = PROCESS_INFORMATION();
    return false;
}

bool KrxApp::isRunning()
{
    return process.hProcess != nullptr && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

HWND KrxApp::waitFor(std::function<HWND()> find, DWORD timeoutMs)
{
    HWND found = nullptr;
    waitUntil([&] { return (found = find()) != nullptr || !isRunning(); }, timeoutMs);
    return found;
}

HWND KrxApp::shownWindow(char const* className)
{
    std::vector<HWND> all = topWindows(process.dwProcessId, className, nullptr);
    return all.empty() ? nullptr : all.front();
}

HWND KrxApp::mainWindow(DWORD timeoutMs)
{
    return waitFor([&] { return shownWindow(mainClass.c_str()); }, timeoutMs);
}

HWND KrxApp::mainControl(int id, DWORD timeoutMs)
{
    HWND main = mainWindow(timeoutMs);
    return main == nullptr ? nullptr
                           : GetDlgItem(FindWindowExA(main, nullptr, "#32770", nullptr), id);
}

HWND KrxApp::page()
{
    HWND t = tabs();
    for (HWND p = t ? FindWindowExA(t, nullptr, "#32770", nullptr) : nullptr; p != nullptr;
         p = FindWindowExA(t, p, "#32770", nullptr))
        if (IsWindowVisible(p))
            return p;
    return nullptr;
}

HWND KrxApp::waitPage(int controlId, DWORD timeoutMs)
{
    return waitFor(
        [&] {
            HWND p = page();
            return p != nullptr && GetDlgItem(p, controlId) != nullptr ? p : nullptr;
        },
        timeoutMs);
}

std::vector<HWND> KrxApp::dialogs()
{
    return topWindows(process.dwProcessId, "#32770", nullptr);
}

HWND KrxApp::findDialog(std::string const& caption, int withControl)
{
    for (HWND d : topWindows(process.dwProcessId, "#32770", caption.c_str()))
        if (withControl == 0 || GetDlgItem(d, withControl) != nullptr)
            return d;
    return nullptr;
}

HWND KrxApp::waitDialog(std::string const& caption, DWORD timeoutMs, int withControl)
{
    return waitFor([&] { return findDialog(caption, withControl); }, timeoutMs);
}

std::string KrxApp::messageBoxText(HWND box)
{
    return text(GetDlgItem(box, 0xFFFF));
}

bool KrxApp::selectTab(int index)
{
    HWND t = tabs();
    return t != nullptr && PostMessageA(t, TCM_SETCURFOCUS, index, 0) &&
        waitUntil([&] { return SendMessageA(t, TCM_GETCURSEL, 0, 0) == index; }, 5000);
}

std::vector<std::string> KrxApp::itemTexts(HWND box, UINT countMsg, UINT lengthMsg, UINT textMsg)
{
    std::vector<std::string> texts;
    LRESULT count = SendMessageW(box, countMsg, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t wide[512] = L"";
        char bytes[512] = "";
        if (SendMessageW(box, lengthMsg, i, 0) >= 512 ||
            SendMessageW(box, textMsg, i, reinterpret_cast<LPARAM>(wide)) < 0) {
            texts.push_back("<unreadable>");
            continue;
        }
        WideCharToMultiByte(1252, 0, wide, -1, bytes, sizeof(bytes), nullptr, nullptr);
        texts.push_back(bytes);
    }
    return texts;
}

std::vector<std::string> KrxApp::comboTexts(HWND combo)
{
    return itemTexts(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

std::vector<std::string> KrxApp::listTexts(HWND list)
{
    return itemTexts(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::string KrxApp::text(HWND window)
{
    if (window == nullptr)
        return "<no window>";
    char buffer[1024] = "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 5000, &length))
        return "<no answer>";
    return std::string(buffer, strnlen(buffer, sizeof(buffer)));
}

bool KrxApp::press(HWND button)
{
    return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

void KrxApp::type(HWND edit, std::string const& bytes)
{
    for (unsigned char c : bytes)
        SendMessageA(edit, WM_CHAR, c, 1);
}

HWND KrxApp::findChild(HWND root, int id)
{
    for (HWND child = GetWindow(root, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == id)
            return child;
        if (HWND below = findChild(child, id))
            return below;
    }
    return nullptr;
}

std::string KrxApp::className(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string KrxApp::screenshot(HWND window, std::string const& name)
{
    RECT r;
    if (window == nullptr || !GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top)
        return "";
    // Let the program finish painting what it just changed.
    waitUntil([] { return false; }, 300);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = r.right - r.left;
    header.biHeight = r.bottom - r.top; // bottom-up, as a BMP file stores it
    header.biPlanes = 1;
    header.biBitCount = 24;
    LONG const stride = (header.biWidth * 3 + 3) & ~3;
    header.biSizeImage = stride * header.biHeight;
    std::vector<char> bits(header.biSizeImage);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, header.biWidth, header.biHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    bool ok = BitBlt(memory, 0, 0, header.biWidth, header.biHeight, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    ok = ok &&
        GetDIBits(memory, bitmap, 0, header.biHeight, bits.data(),
                  reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) == header.biHeight;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    // A window that was not drawn, or a capture of nothing, comes out as one colour.
    bool drawn = false;
    for (LONG y = 0; ok && !drawn && y < header.biHeight; ++y)
        for (LONG x = 0; !drawn && x < header.biWidth; ++x)
            drawn = memcmp(&bits[y * stride + x * 3], bits.data(), 3) != 0;
    if (!drawn)
        return "";
    std::string path = windowsPath(KRX_ARTEFACTS);
    CreateDirectoryA(path.c_str(), nullptr);
    path += "\\screenshots";
    CreateDirectoryA(path.c_str(), nullptr);
    path += "\\" + name + ".bmp";
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<char const*>(&file), sizeof(file));
    out.write(reinterpret_cast<char const*>(&header), sizeof(header));
    out.write(bits.data(), bits.size());
    return out.good() ? path : "";
}

long KrxApp::waitExit(DWORD timeoutMs)
{
    DWORD code = 0;
    if (process.hProcess == nullptr ||
        WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<long>(code);
}

long KrxApp::close(DWORD timeoutMs)
{
    if (process.hProcess == nullptr)
        return -1;
    HWND main = isRunning() ? mainWindow(0) : nullptr;
    if (main != nullptr)
        PostMessageA(main, WM_CLOSE, 0, 0);
    long code = waitExit(timeoutMs);
    if (code == -1 && isRunning()) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    return code;
}
