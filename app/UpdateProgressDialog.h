#ifndef UPDATEPROGRESSDIALOG_H
#define UPDATEPROGRESSDIALOG_H

#include <windows.h>

#include "Dialog.h"
#include "Handle.h"
#include "UpdateListener.h"

class IntelHexData;

// The modal dialog "Firmwareupdate" in which one update (FirmwareUpdate) runs on a worker
// thread and shows its steps in the status text and the bar. The constructor returns only when
// the user has closed the dialog with OK, and OK is enabled by the worker as its very last
// action, so the update is over by then.
class UpdateProgressDialog : public Dialog, private UpdateListener
{
public:
    // The source is not owned: the caller keeps it alive until the constructor has returned.
    UpdateProgressDialog(Window* parent, unsigned char deviceNumber, IntelHexData* source,
                         bool testMode);
    virtual ~UpdateProgressDialog();

    void setStatusText(char const* text);
    void setProgress(unsigned int position);
    // Runs the update and shows its outcome; on the worker thread.
    void runUpdate();

protected:
    virtual INT_PTR notifyDlgInit(WPARAM wParam, LPARAM lParam) override;
    virtual INT_PTR notifyDlgCommand(WPARAM wParam, LPARAM lParam) override;

private:
    virtual void notifyUpdateStatus(char const* text) override { setStatusText(text); }
    virtual void notifyUpdateProgress(unsigned int position) override { setProgress(position); }
    static DWORD WINAPI workerProc(LPVOID parameter);

    unsigned char deviceNumber;
    Handle workerThread;
    IntelHexData* source;
    bool testMode;
};

#endif
