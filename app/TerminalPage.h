#ifndef TERMINALPAGE_H
#define TERMINALPAGE_H

#include <windows.h>

#include <memory>

#include "Dialog.h"
#include "KrxUsbDriver.h"
#include "PageWorker.h"

// The tab page "KRX-40 Terminal": connects to the feedback interface, sends the input line
// with CR, and shows what goes out and comes back, as text or hexadecimal, in a list of at
// most 100 lines. While connected a worker either receives ("Read" checked) or shows the count
// of waiting bytes every 500 ms ("Read" unchecked, service mode only).
class TerminalPage : public Dialog
{
public:
    TerminalPage(Window* parent, unsigned char deviceNumber);
    virtual ~TerminalPage();

protected:
    virtual INT_PTR notifyDlgInit(WPARAM wParam, LPARAM lParam) override;
    virtual INT_PTR notifyDlgCommand(WPARAM wParam, LPARAM lParam) override;
    // Shows a received block handed over by the receive worker (WM_SHOW_RECEIVED).
    virtual INT_PTR dlgProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void connect();
    void disconnect();
    void send();
    // Removes CR and LF from the end of the input line; true when there were some.
    bool stripLineEnds();
    void showTransfer(unsigned char const* bytes, unsigned int count, bool sent);
    void startWorker();
    void stopReceiveWorker();
    void stopCountWorker();
    HANDLE channelHandle() const;
    static DWORD WINAPI receive(void* page);
    static DWORD WINAPI count(void* page);

    bool asynchronous;
    unsigned char deviceNumber;
    std::unique_ptr<KrxUsbDriver> channel;
    HFONT font;
    PageWorker receiveWorker;
    PageWorker countWorker;
};

#endif
