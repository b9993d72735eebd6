#ifndef PAGEFACTORY_H
#define PAGEFACTORY_H

class Dialog;
class Window;

// Page kinds, the parameter of the main dialog's tab items.
enum PageKind
{
    PAGE_INFO = 1,
    PAGE_DEVICE_NUMBER = 2,
    PAGE_UPDATE = 3,
    PAGE_TERMINAL = 4,
    PAGE_VLX_TEST = 5
};

// Constructs the page of a kind as a modeless child dialog of parent (the tab control) for one
// device number; nullptr for a kind that has no page. The caller deletes it.
Dialog* createPage(int kind, Window* parent, unsigned char deviceNumber);

#endif
