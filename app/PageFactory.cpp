#include "PageFactory.h"

#include "Dialog.h"
#include "InfoPage.h"
#include "UpdatePage.h"

Dialog* createPage(int kind, Window* parent, unsigned char deviceNumber)
{
    switch (kind) {
    case PAGE_INFO:
        return new InfoPage(parent, deviceNumber);
    case PAGE_UPDATE:
        return new UpdatePage(parent, deviceNumber);
    default:
        return nullptr;
    }
}
