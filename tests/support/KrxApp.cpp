#include "KrxApp.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {

char const mainClass[] = "Velmora KRX-40 MainKlasse";
int const tabControlId = 1004;

struct TopSearch
{
    DWORD processId;
    std::string className;
    std::string caption;
    bool anyCaption;
    std::vector<HWND> found;
};

BOOL CALLBACK collectTop(HWND window, LPARAM parameter)
{
    TopSearch* s = reinterpret_cast<TopSearch*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != s->processId || !IsWindowVisible(window))
        return TRUE;
    if (KrxApp::className(window) != s->className)
        return TRUE;
    if (!s->anyCaption && KrxApp::text(window) != s->caption)
        return TRUE;
    s->found.push_back(window);
    return TRUE;
}

std::string fromWide(std::wstring const& wide)
{
    if (wide.empty())
        return std::string();
    int n = WideCharToMultiByte(1252, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(1252, 0, wide.c_str(), static_cast<int>(wide.size()), &bytes[0], n,
                        nullptr, nullptr);
    return bytes;
}

std::string artefactFolder()
{
#ifdef KRX_ARTEFACTS
    std::string folder = windowsPath(KRX_ARTEFACTS);
#else
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "krx-artefacts";
#endif
    CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\screenshots";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// A block in the program's address space, released when it goes out of scope.
class RemoteBlock
{
public:
    RemoteBlock(HANDLE process, SIZE_T size) : process(process)
    {
        address = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                 PAGE_READWRITE);
    }
    ~RemoteBlock()
    {
        if (address != nullptr)
            VirtualFreeEx(process, address, 0, MEM_RELEASE);
    }
    char* at(SIZE_T offset) const { return static_cast<char*>(address) + offset; }
    bool ok() const { return address != nullptr; }
    bool write(SIZE_T offset, void const* data, SIZE_T size)
    {
        SIZE_T done = 0;
        return WriteProcessMemory(process, at(offset), data, size, &done) && done == size;
    }
    bool read(SIZE_T offset, void* data, SIZE_T size)
    {
        SIZE_T done = 0;
        return ReadProcessMemory(process, at(offset), data, size, &done) && done == size;
    }

private:
    HANDLE process;
    void* address;
};

}

std::string windowsPath(std::string const& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

bool waitUntil(std::function<bool()> condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(20);
    }
}

KrxApp::KrxApp() : process()
{
}

KrxApp::~KrxApp()
{
    if (process.hProcess == nullptr)
        return;
    if (isRunning() && close(5000) == -1 && isRunning())
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

bool KrxApp::start(std::string const& arguments)
{
#ifdef KRX_PROGRAM_PATH
    return startProgram(windowsPath(KRX_PROGRAM_PATH), arguments);
#else
    char const* path = getenv("KRX_PROGRAM");
    return path != nullptr && startProgram(path, arguments);
#endif
}

bool KrxApp::startProgram(std::string const& path, std::string const& arguments)
{
    if (process.hProcess != nullptr)
        return false;
    std::string commandLine = "\"" + path + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "CreateProcess %s failed: %lu\n", commandLine.c_str(),
                     GetLastError());
        process = PROCESS_INFORMATION();
        return false;
    }
    return true;
}

bool KrxApp::isRunning()
{
    return process.hProcess != nullptr &&
           WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

HWND KrxApp::mainWindow(DWORD timeoutMs)
{
    HWND found = nullptr;
    waitUntil([&] {
        TopSearch s = {process.dwProcessId, mainClass, "", true, {}};
        EnumWindows(collectTop, reinterpret_cast<LPARAM>(&s));
        found = s.found.empty() ? nullptr : s.found.front();
        return found != nullptr || !isRunning();
    }, timeoutMs);
    return found;
}

HWND KrxApp::mainDialog(DWORD timeoutMs)
{
    HWND main = mainWindow(timeoutMs);
    if (main == nullptr)
        return nullptr;
    return FindWindowExA(main, nullptr, "#32770", nullptr);
}

HWND KrxApp::mainControl(int id, DWORD timeoutMs)
{
    HWND dialog = mainDialog(timeoutMs);
    return dialog == nullptr ? nullptr : GetDlgItem(dialog, id);
}

HWND KrxApp::page()
{
    HWND tabs = mainControl(tabControlId, 0);
    if (tabs == nullptr)
        return nullptr;
    for (HWND child = FindWindowExA(tabs, nullptr, "#32770", nullptr); child != nullptr;
         child = FindWindowExA(tabs, child, "#32770", nullptr))
        if (IsWindowVisible(child))
            return child;
    return nullptr;
}

HWND KrxApp::waitPage(int controlId, DWORD timeoutMs)
{
    HWND found = nullptr;
    waitUntil([&] {
        HWND p = page();
        found = (p != nullptr && GetDlgItem(p, controlId) != nullptr) ? p : nullptr;
        return found != nullptr;
    }, timeoutMs);
    return found;
}

std::vector<HWND> KrxApp::dialogs()
{
    TopSearch s = {process.dwProcessId, "#32770", "", true, {}};
    EnumWindows(collectTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND KrxApp::findDialog(std::string const& caption)
{
    TopSearch s = {process.dwProcessId, "#32770", caption, false, {}};
    EnumWindows(collectTop, reinterpret_cast<LPARAM>(&s));
    return s.found.empty() ? nullptr : s.found.front();
}

HWND KrxApp::waitDialog(std::string const& caption, DWORD timeoutMs)
{
    HWND found = nullptr;
    waitUntil([&] { return (found = findDialog(caption)) != nullptr; }, timeoutMs);
    return found;
}

std::string KrxApp::messageBoxText(HWND box)
{
    return text(GetDlgItem(box, 0xFFFF));
}

int KrxApp::tabCount()
{
    HWND tabs = mainControl(tabControlId, 0);
    if (tabs == nullptr)
        return -1;
    return static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
}

int KrxApp::selectedTab()
{
    HWND tabs = mainControl(tabControlId, 0);
    if (tabs == nullptr)
        return -1;
    return static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
}

std::vector<std::string> KrxApp::tabTexts()
{
    std::vector<std::string> texts;
    HWND tabs = mainControl(tabControlId, 0);
    if (tabs == nullptr)
        return texts;
    int const textSize = 256;
    RemoteBlock block(process.hProcess, sizeof(TCITEMA) + textSize);
    if (!block.ok())
        return texts;
    int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = block.at(sizeof(TCITEMA));
        item.cchTextMax = textSize;
        char buffer[textSize] = "";
        if (!block.write(0, &item, sizeof(item)) ||
            !block.write(sizeof(TCITEMA), buffer, textSize) ||
            !SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(block.at(0))) ||
            !block.read(sizeof(TCITEMA), buffer, textSize))
            texts.push_back("<unreadable>");
        else
            texts.push_back(std::string(buffer, strnlen(buffer, textSize)));
    }
    return texts;
}

bool KrxApp::tabRect(int index, RECT* rect)
{
    HWND tabs = mainControl(tabControlId, 0);
    if (tabs == nullptr)
        return false;
    RemoteBlock block(process.hProcess, sizeof(RECT));
    return block.ok() &&
           SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(block.at(0))) &&
           block.read(0, rect, sizeof(RECT));
}

bool KrxApp::selectTab(int index)
{
    HWND tabs = mainControl(tabControlId, 0);
    RECT r;
    if (tabs == nullptr || !tabRect(index, &r))
        return false;
    LPARAM point = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    if (!PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, point) ||
        !PostMessageA(tabs, WM_LBUTTONUP, 0, point))
        return false;
    return waitUntil([&] { return selectedTab() == index; }, 5000);
}

bool KrxApp::selectTab(std::string const& wanted)
{
    std::vector<std::string> texts = tabTexts();
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == wanted)
            return selectTab(static_cast<int>(i));
    return false;
}

std::vector<std::string> KrxApp::comboTexts(HWND combo)
{
    std::vector<std::string> texts;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        if (length == CB_ERR) {
            texts.push_back("<unreadable>");
            continue;
        }
        std::wstring wide(length + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
        wide.resize(wcslen(wide.c_str()));
        texts.push_back(fromWide(wide));
    }
    return texts;
}

int KrxApp::comboSelection(HWND combo)
{
    return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

bool KrxApp::pickCombo(HWND combo, int index)
{
    if (SendMessageW(combo, CB_SETCURSEL, index, 0) != index)
        return false;
    HWND parent = GetParent(combo);
    WPARAM wParam = MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE);
    return PostMessageW(parent, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(combo)) != 0;
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

HWND KrxApp::findChild(HWND root, int id, char const* wantedClass)
{
    for (HWND child = GetWindow(root, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == id && (wantedClass == nullptr || className(child) == wantedClass))
            return child;
        HWND below = findChild(child, id, wantedClass);
        if (below != nullptr)
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

bool KrxApp::responsive(HWND window, DWORD timeoutMs)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

std::string KrxApp::screenshot(HWND window, std::string const& name)
{
    RECT r;
    if (window == nullptr || !GetWindowRect(window, &r))
        return std::string();
    int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return std::string();
    // Let the program finish painting what it just changed.
    waitUntil([] { return false; }, 300);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::string path;
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BOOL copied = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        SelectObject(memory, old);
        GdiFlush();
        DWORD stride = ((width * 3) + 3) & ~3u;
        DWORD imageSize = stride * height;
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        file.bfSize = file.bfOffBits + imageSize;
        info.bmiHeader.biSizeImage = imageSize;
        std::string target = artefactFolder() + "\\" + name + ".bmp";
        HANDLE h = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (copied && h != INVALID_HANDLE_VALUE) {
            DWORD done = 0;
            bool ok = WriteFile(h, &file, sizeof(file), &done, nullptr) &&
                      WriteFile(h, &info.bmiHeader, sizeof(BITMAPINFOHEADER), &done, nullptr) &&
                      WriteFile(h, bits, imageSize, &done, nullptr);
            if (ok)
                path = target;
        }
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return path;
}

long KrxApp::waitExit(DWORD timeoutMs)
{
    if (process.hProcess == nullptr)
        return -1;
    if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<long>(code);
}

long KrxApp::close(DWORD timeoutMs)
{
    if (process.hProcess == nullptr)
        return -1;
    if (isRunning()) {
        HWND main = mainWindow(0);
        if (main != nullptr)
            PostMessageA(main, WM_CLOSE, 0, 0);
    }
    long code = waitExit(timeoutMs);
    if (code == -1 && isRunning()) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    return code;
}
