#include "VlxTestPage.h"

#include "VlxUsbDriver.h"
#include "Win32Exception.h"
#include "resource.h"

namespace
{
const unsigned char SELECTOR_LOOP = 0;
const unsigned char SELECTOR_PATTERN = 1;
const unsigned short CLOSING_PATTERN = 0x02;
const DWORD SEND_PAUSE_MS = 10;
const DWORD WORKER_STOP_MS = 2000;
const unsigned short READ_SIZE = 64;

struct PatternBit
{
    int boxId;
    unsigned short bit;
};
const PatternBit PATTERN_BITS[] = {
    {IDC_LED_GREEN, 0x01}, {IDC_LED_RED, 0x02}, {IDC_PIN_P16, 0x04},
    {IDC_PIN_P17, 0x08},   {IDC_PIN_P30, 0x10}, {IDC_PIN_P31, 0x20},
};
}

VlxTestPage::VlxTestPage(Window* parent, unsigned char deviceNumber)
    : deviceNumber(deviceNumber), channel(nullptr), receivedCount(0), sentCount(0)
{
    create(getMainInstance(), parent, IDD_VLX_TEST_PAGE, false);
}

VlxTestPage::~VlxTestPage()
{
    if (channel != nullptr) {
        // Both flags first: one cancel then releases both workers.
        readWorker.requestStop(channel->getHandle());
        sendWorker.requestStop(channel->getHandle());
        readWorker.waitEnd(WORKER_STOP_MS);
        sendWorker.waitEnd(WORKER_STOP_MS);
        try {
            channel->sendTestCommand(SELECTOR_PATTERN, CLOSING_PATTERN);
        } catch (Win32Exception&) {
            // The page closes all the same; there is no one left to tell.
        }
    }
    delete channel;
    channel = nullptr;
}

INT_PTR VlxTestPage::notifyDlgInit(WPARAM, LPARAM)
{
    // The boxes start as the pattern the page leaves behind when it closes.
    checkDlgButton(IDC_LED_RED, BST_CHECKED);
    try {
        channel = new VlxUsbDriver(deviceNumber);
        if (channel->isEmergencyMode()) {
            delete channel;
            channel = nullptr;
            messageBox("Test im Notfallbetrieb nicht möglich.", "Notfallbetrieb", MB_ICONERROR);
        }
    } catch (Win32Exception& e) {
        String text = e.toString();
        messageBox(~text, "Verbindung zur Velmora konnte nicht hergestellt werden", MB_ICONERROR);
    }
    return 1;
}

INT_PTR VlxTestPage::notifyDlgCommand(WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam)) {
    case IDC_LOOP_READ_THREAD: switchWorker(IDC_LOOP_READ_THREAD, readWorker, readProc); break;
    case IDC_LOOP_SEND_THREAD: switchWorker(IDC_LOOP_SEND_THREAD, sendWorker, sendProc); break;
    case IDC_LOOP_RESET: resetCounts(); break;
    case IDC_LOOP_SINGLE_SEND: try { sendLoopPacket(0);
        } catch (Win32Exception& e) {
            String text = e.toString();
            messageBox(~text, "Fehler beim Zugriff auf die Velmora", MB_ICONERROR);
        }
        break;
    case IDC_LED_GREEN:
    case IDC_LED_RED:
    case IDC_PIN_P16:
    case IDC_PIN_P17:
    case IDC_PIN_P30:
    case IDC_PIN_P31: sendPattern(); break;
    default: break;
    }
    return 1;
}

void VlxTestPage::sendLoopPacket(unsigned char value)
{
    if (channel == nullptr)
        return;
    channel->sendTestCommand(SELECTOR_LOOP, value);
    setDlgItemInt(IDC_LOOP_LAST_SENT, value, FALSE);
    setDlgItemInt(IDC_LOOP_SENT, ++sentCount, FALSE);
}

void VlxTestPage::sendPattern()
{
    if (channel == nullptr)
        return;
    unsigned short pattern = 0;
    for (PatternBit const& p : PATTERN_BITS)
        if (isDlgButtonChecked(p.boxId) == BST_CHECKED)
            pattern |= p.bit;
    try {
        channel->sendTestCommand(SELECTOR_PATTERN, pattern);
    } catch (Win32Exception& e) {
        String text = e.toString();
        messageBox(~text, "Fehler beim Zugriff auf die Velmora", MB_ICONERROR);
    }
}

void VlxTestPage::resetCounts()
{
    receivedCount = 0;
    sentCount = 0;
    setDlgItemText(IDC_LOOP_LAST_SENT, "");
    setDlgItemText(IDC_LOOP_SENT, "0");
    setDlgItemText(IDC_LOOP_LAST_RECEIVED, "");
    setDlgItemText(IDC_LOOP_RECEIVED, "0");
}

void VlxTestPage::switchWorker(int boxId, PageWorker& worker, LPTHREAD_START_ROUTINE procedure)
{
    if (isDlgButtonChecked(boxId) != BST_CHECKED)
        stopWorker(worker);
    else if (channel != nullptr && !worker.isRunning() && !worker.start(procedure, this))
        checkDlgButton(boxId, BST_UNCHECKED); // no thread: the box must not claim one runs
}

void VlxTestPage::stopWorker(PageWorker& worker)
{
    if (channel == nullptr)
        return;
    worker.requestStop(channel->getHandle());
    worker.waitEnd(WORKER_STOP_MS);
}

// A worker's own failure: its box unchecked, the text shown, the worker free to start again.
void VlxTestPage::failWorker(int boxId, PageWorker& worker, char const* caption, char const* text)
{
    checkDlgButton(boxId, BST_UNCHECKED);
    if (!worker.stopRequested())
        messageBox(text, caption, MB_ICONERROR);
    worker.finished();
}

DWORD WINAPI VlxTestPage::sendProc(LPVOID page)
{
    static_cast<VlxTestPage*>(page)->runSend();
    return 0;
}

DWORD WINAPI VlxTestPage::readProc(LPVOID page)
{
    static_cast<VlxTestPage*>(page)->runRead();
    return 0;
}

void VlxTestPage::runSend()
{
    unsigned char value = 0;
    while (!sendWorker.stopRequested()) {
        unsigned mark = PageWorker::cancelMark();
        try {
            sendLoopPacket(value);
            ++value;
        } catch (Win32Exception& e) {
            if (sendWorker.stopRequested())
                break;
            if (PageWorker::cancelledSince(mark))
                continue;
            String text = e.toString();
            failWorker(IDC_LOOP_SEND_THREAD, sendWorker, "Fehler beim Senden der Daten", ~text);
            return;
        }
        Sleep(SEND_PAUSE_MS);
    }
}

void VlxTestPage::runRead()
{
    unsigned char buffer[READ_SIZE];
    while (!readWorker.stopRequested()) {
        unsigned mark = PageWorker::cancelMark();
        unsigned short count = 0;
        try {
            count = channel->readTestData(buffer, READ_SIZE);
        } catch (Win32Exception& e) {
            if (readWorker.stopRequested())
                break;
            if (PageWorker::cancelledSince(mark))
                continue;
            String text = e.toString();
            failWorker(IDC_LOOP_READ_THREAD, readWorker, "Fehler beim Lesen der Daten", ~text);
            return;
        }
        for (unsigned short i = 0; i < count; ++i) {
            setDlgItemInt(IDC_LOOP_LAST_RECEIVED, buffer[i], FALSE);
            setDlgItemInt(IDC_LOOP_RECEIVED, ++receivedCount, FALSE);
        }
        // A device that answers at once with nothing would otherwise take a whole core.
        if (count == 0)
            Sleep(1);
    }
}
