#ifndef VLXTESTPAGE_H
#define VLXTESTPAGE_H

#include <windows.h>

#include <atomic>

#include "Dialog.h"
#include "PageWorker.h"

class VlxUsbDriver;

// The tab page "VLX-Test" (service mode): the loop test, with a send worker that sends the
// values 0 to 255 over and over and a read worker that counts the bytes coming back, and the
// LED test, whose six boxes set the device's LEDs and port pins. The page keeps its channel
// for its whole life; closing stops both workers and sets the pattern back to red only.
class VlxTestPage : public Dialog
{
public:
    VlxTestPage(Window* parent, unsigned char deviceNumber);
    virtual ~VlxTestPage();

protected:
    virtual INT_PTR notifyDlgInit(WPARAM wParam, LPARAM lParam) override;
    virtual INT_PTR notifyDlgCommand(WPARAM wParam, LPARAM lParam) override;

private:
    static DWORD WINAPI sendProc(LPVOID page);
    static DWORD WINAPI readProc(LPVOID page);
    void runSend();
    void runRead();
    void sendLoopPacket(unsigned char value);
    void sendPattern();
    void resetCounts();
    void switchWorker(int boxId, PageWorker& worker, LPTHREAD_START_ROUTINE procedure);
    void stopWorker(PageWorker& worker);
    void failWorker(int boxId, PageWorker& worker, char const* caption, char const* text);

    unsigned char deviceNumber;
    VlxUsbDriver* channel;
    std::atomic<DWORD> receivedCount;
    std::atomic<DWORD> sentCount;
    PageWorker readWorker;
    PageWorker sendWorker;
};

#endif
