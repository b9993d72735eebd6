#include "UpdateProgressDialog.h"

#include <commctrl.h>

#include "Exception.h"
#include "FirmwareUpdate.h"
#include "resource.h"

namespace
{
const DWORD WORKER_END_WAIT_MS = 2000;
}

UpdateProgressDialog::UpdateProgressDialog(Window* parent, unsigned char deviceNumber,
                                           IntelHexData* source, bool testMode)
    : deviceNumber(deviceNumber), source(source), testMode(testMode)
{
    create(getMainInstance(), parent, IDD_UPDATE_PROGRESS, true);
}

UpdateProgressDialog::~UpdateProgressDialog()
{
    if (!workerThread.isValid())
        return;
    // Enabling OK is the worker's last call, so it is ending or has ended; serve the calls
    // it may still hand to this thread while waiting.
    HANDLE thread = workerThread.get();
    DWORD deadline = GetTickCount() + WORKER_END_WAIT_MS;
    for (;;) {
        DWORD now = GetTickCount();
        DWORD left = (LONG)(deadline - now) > 0 ? deadline - now : 0;
        DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

INT_PTR UpdateProgressDialog::notifyDlgInit(WPARAM, LPARAM)
{
    sendDlgItemMessage(IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 4));
    workerThread.reset(CreateThread(NULL, 0, workerProc, this, 0, NULL));
    if (!workerThread.isValid()) {
        // Without a worker nothing would ever enable OK: say why and let the user leave.
        setStatusText("Firmwareupdate nicht erfolgreich.");
        messageBox("Der Update-Thread konnte nicht gestartet werden.", "Fehler beim Firmwareupdate",
                   MB_ICONERROR);
        enableDlgItem(IDOK, TRUE);
    }
    return 1;
}

INT_PTR UpdateProgressDialog::notifyDlgCommand(WPARAM wParam, LPARAM)
{
    // Only the enabled OK button ends the dialog: Enter or a synthetic IDOK while the worker
    // still runs must not pull the window from under it.
    if (LOWORD(wParam) == IDOK && IsWindowEnabled(getDlgItem(IDOK)))
        endDialog(0);
    return 1;
}

void UpdateProgressDialog::setStatusText(char const* text)
{
    setDlgItemText(IDC_PROGRESS_STATUS, text);
}

void UpdateProgressDialog::setProgress(unsigned int position)
{
    sendDlgItemMessage(IDC_PROGRESS_BAR, PBM_SETPOS, position, 0);
}

DWORD WINAPI UpdateProgressDialog::workerProc(LPVOID parameter)
{
    static_cast<UpdateProgressDialog*>(parameter)->runUpdate();
    return 0;
}

void UpdateProgressDialog::runUpdate()
{
    try {
        FirmwareUpdate(deviceNumber, *source, testMode, *this).run();
    } catch (Exception& e) {
        setStatusText("Firmwareupdate nicht erfolgreich.");
        String text = e.toString();
        messageBox(~text, "Fehler beim Firmwareupdate", MB_ICONERROR);
    } catch (std::exception& e) {
        // Out of memory: an exception must not leave the thread, and OK must still come.
        setStatusText("Firmwareupdate nicht erfolgreich.");
        messageBox(e.what(), "Fehler beim Firmwareupdate", MB_ICONERROR);
    }
    enableDlgItem(IDOK, TRUE);
}
