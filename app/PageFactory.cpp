#include "PageFactory.h"

#include "DeviceNumberPage.h"
#include "Dialog.h"
#include "InfoPage.h"
#include "TerminalPage.h"
#include "UpdatePage.h"
#include "VlxTestPage.h"

Dialog* createPage(int kind, Window* parent, unsigned char deviceNumber)
{
    switch (kind) {
    case PAGE_INFO: return new InfoPage(parent, deviceNumber);
    case PAGE_DEVICE_NUMBER: return new DeviceNumberPage(parent, deviceNumber);
    case PAGE_UPDATE: return new UpdatePage(parent, deviceNumber);
    case PAGE_TERMINAL: return new TerminalPage(parent, deviceNumber);
    case PAGE_VLX_TEST: return new VlxTestPage(parent, deviceNumber);
    default: return nullptr;
    }
}
