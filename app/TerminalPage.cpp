#include "TerminalPage.h"

#include <stdio.h>

#include "ProgramSettings.h"
#include "TerminalFormat.h"
#include "Win32Exception.h"
#include "resource.h"

namespace
{
const unsigned int INPUT_MAX = 255;
const unsigned short RECEIVE_BUFFER = 256;
const LRESULT LIST_MAX_LINES = 100;
const DWORD COUNT_INTERVAL_MS = 500;
const DWORD COUNT_PAUSE_SLICE_MS = 50; // how soon the count worker sees a stop
const DWORD WORKER_END_WAIT_MS = 2000;
const unsigned char CR = 0x0D;
const unsigned char LF = 0x0A;
// wParam: byte count, lParam: the bytes. One message per block, not one per list change: each
// message to another thread costs a switch to it and back, and a flood brings many blocks.
const UINT WM_SHOW_RECEIVED = WM_APP + 1;
}

TerminalPage::TerminalPage(Window* parent, unsigned char deviceNumber)
    : asynchronous(true), deviceNumber(deviceNumber), font(NULL)
{
    create(getMainInstance(), parent, IDD_TERMINAL_PAGE, false);
}

TerminalPage::~TerminalPage()
{
    disconnect();
    sendDlgItemMessage(IDC_TERMINAL_OUTPUT, WM_SETFONT, 0, FALSE);
    if (font != NULL)
        DeleteObject(font);
    destroyWindow();
}

INT_PTR TerminalPage::notifyDlgInit(WPARAM, LPARAM)
{
    font = CreateFontA(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, "Courier");
    if (font != NULL)
        sendDlgItemMessage(IDC_TERMINAL_OUTPUT, WM_SETFONT, (WPARAM)font, FALSE);
    checkDlgButton(IDC_TERMINAL_READ, BST_CHECKED);
    checkDlgButton(IDC_TERMINAL_ASYNC, BST_CHECKED);
    asynchronous = true;
    if (ProgramSettings::serviceMode) {
        ShowWindow(getDlgItem(IDC_TERMINAL_READ), SW_SHOW);
        ShowWindow(getDlgItem(IDC_TERMINAL_SINGLE), SW_SHOW);
    }
    return 1;
}

INT_PTR TerminalPage::notifyDlgCommand(WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam)) {
    case IDC_TERMINAL_INPUT:
        if (HIWORD(wParam) == EN_UPDATE && stripLineEnds() && channel)
            send();
        break;
    case IDC_TERMINAL_SEND: send(); break;
    case IDC_TERMINAL_CONNECT:
        if (channel)
            disconnect();
        else
            connect();
        break;
    case IDC_TERMINAL_ASYNC:
        asynchronous = isDlgButtonChecked(IDC_TERMINAL_ASYNC) == BST_CHECKED;
        if (channel) {
            disconnect();
            connect();
        }
        break;
    case IDC_TERMINAL_READ:
        if (isDlgButtonChecked(IDC_TERMINAL_READ) == BST_CHECKED)
            stopCountWorker();
        else
            stopReceiveWorker();
        startWorker();
        break;
    }
    return 1;
}

INT_PTR TerminalPage::dlgProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_SHOW_RECEIVED)
        return Dialog::dlgProc(msg, wParam, lParam);
    showTransfer(reinterpret_cast<unsigned char const*>(lParam), (unsigned int)wParam, false);
    return 1;
}

void TerminalPage::connect()
{
    if (channel)
        return;
    try {
        channel.reset(new KrxUsbDriver(deviceNumber, asynchronous));
        startWorker();
    } catch (Win32Exception& e) {
        String text = e.toString();
        messageBox(~text, "Verbindung zum KRX konnte nicht hergestellt werden",
                   MB_ICONERROR | MB_OK);
    }
    if (channel) {
        setDlgItemText(IDC_TERMINAL_CONNECT, "Trennen");
        enableDlgItem(IDC_TERMINAL_SEND, TRUE);
    }
}

void TerminalPage::disconnect()
{
    if (channel) {
        try {
            stopReceiveWorker();
            stopCountWorker();
            channel.reset();
        } catch (Win32Exception& e) {
            String text = e.toString();
            messageBox(~text, "Fehler beim Trennen des KRX", MB_ICONERROR | MB_OK);
        }
    }
    channel.reset();
    setDlgItemText(IDC_TERMINAL_CONNECT, "Verbinden");
    enableDlgItem(IDC_TERMINAL_SEND, FALSE);
}

bool TerminalPage::stripLineEnds()
{
    char line[INPUT_MAX + 1];
    int length = GetDlgItemTextA(getHwnd(), IDC_TERMINAL_INPUT, line, sizeof line);
    bool stripped = false;
    while (length > 0 && (line[length - 1] == CR || line[length - 1] == LF)) {
        line[--length] = '\0';
        stripped = true;
    }
    if (stripped)
        setDlgItemText(IDC_TERMINAL_INPUT, line);
    return stripped;
}

void TerminalPage::send()
{
    unsigned char line[INPUT_MAX + 1];
    int length = GetDlgItemTextA(getHwnd(), IDC_TERMINAL_INPUT, (char*)line, sizeof line);
    if (length <= 0 || !channel)
        return;
    line[length] = CR;
    unsigned short total = (unsigned short)(length + 1);
    try {
        // A synchronous handle serialises requests: a write would wait behind the blocked read.
        bool restart = !asynchronous && receiveWorker.isRunning();
        if (restart)
            stopReceiveWorker();
        if (isDlgButtonChecked(IDC_TERMINAL_SINGLE) == BST_CHECKED) {
            for (unsigned short i = 0; i < total; ++i)
                channel->write(line + i, 1);
        } else {
            channel->write(line, total);
        }
        bool hex = isDlgButtonChecked(IDC_TERMINAL_HEX) == BST_CHECKED;
        showTransfer(line, hex ? total : total - 1, true);
        setDlgItemText(IDC_TERMINAL_INPUT, "");
        if (restart)
            startWorker();
    } catch (Win32Exception& e) {
        String text = e.toString();
        messageBox(~text, "Fehler beim Senden zum KRX", MB_ICONERROR | MB_OK);
    }
}

void TerminalPage::showTransfer(unsigned char const* bytes, unsigned int count, bool sent)
{
    bool hex = isDlgButtonChecked(IDC_TERMINAL_HEX) == BST_CHECKED;
    HWND list = getDlgItem(IDC_TERMINAL_OUTPUT);
    // Drawn once per transfer: scrolling line by line costs a round trip to the display each time.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (String const& piece : TerminalFormat::lines(bytes, count, sent, hex)) {
        if (SendMessageA(list, LB_GETCOUNT, 0, 0) >= LIST_MAX_LINES)
            SendMessageA(list, LB_DELETESTRING, 0, 0);
        LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)~piece);
        // LBS_NOSEL refuses the selection but still scrolls the line into view.
        SendMessageA(list, LB_SETCURSEL, index, 0);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, NULL, TRUE);
}

void TerminalPage::startWorker()
{
    if (!channel)
        return;
    if (isDlgButtonChecked(IDC_TERMINAL_READ) == BST_CHECKED)
        receiveWorker.start(receive, this);
    else
        countWorker.start(count, this);
}

void TerminalPage::stopReceiveWorker()
{
    receiveWorker.requestStop(channelHandle());
    receiveWorker.waitEnd(WORKER_END_WAIT_MS);
}

void TerminalPage::stopCountWorker()
{
    countWorker.requestStop(channelHandle());
    countWorker.waitEnd(WORKER_END_WAIT_MS);
    setDlgItemText(IDC_TERMINAL_READ, "Read");
}

HANDLE TerminalPage::channelHandle() const
{
    return channel ? channel->getHandle() : INVALID_HANDLE_VALUE;
}

DWORD WINAPI TerminalPage::receive(void* context)
{
    TerminalPage* page = static_cast<TerminalPage*>(context);
    unsigned char buffer[RECEIVE_BUFFER];
    try {
        while (!page->receiveWorker.stopRequested()) {
            unsigned short got = page->channel->read(buffer, sizeof buffer);
            if (got > 0)
                SendMessageA(page->getHwnd(), WM_SHOW_RECEIVED, got, (LPARAM)buffer);
        }
    } catch (Win32Exception&) {
        // A failed read ends the worker without a message; "Read" or a new connection restarts it.
        page->receiveWorker.finished();
    }
    return 0;
}

DWORD WINAPI TerminalPage::count(void* context)
{
    TerminalPage* page = static_cast<TerminalPage*>(context);
    try {
        while (!page->countWorker.stopRequested()) {
            char text[16];
            snprintf(text, sizeof text, "%u", (unsigned)page->channel->getReceiveCount());
            page->setDlgItemText(IDC_TERMINAL_READ, text);
            for (DWORD slept = 0; slept < COUNT_INTERVAL_MS && !page->countWorker.stopRequested();
                 slept += COUNT_PAUSE_SLICE_MS)
                Sleep(COUNT_PAUSE_SLICE_MS);
        }
    } catch (Win32Exception&) {
        // As for the receive worker: it ends without a message.
        page->countWorker.finished();
    }
    return 0;
}
