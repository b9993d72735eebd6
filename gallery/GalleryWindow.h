#ifndef GALLERYWINDOW_H
#define GALLERYWINDOW_H

#include <memory>

#include "BitmapSection.h"
#include "GalleryLayout.h"
#include "Window.h"

class WrapperSection;

// The gallery's main window: the library's controls side by side, and at the bottom a line that
// shows the last command message a control sent, so a programmer (or a test) sees what each
// control reports to its parent.
class GalleryWindow : public virtual Window
{
public:
    GalleryWindow();
    virtual ~GalleryWindow();

protected:
    LRESULT notifyCreate(WPARAM wParam, LPARAM lParam) override;
    LRESULT notifyCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT notifyClose(WPARAM wParam, LPARAM lParam) override;
    LRESULT notifyDestroy(WPARAM wParam, LPARAM lParam) override;
    LRESULT notifySysCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void showLastCommand(int controlId, int code);

    HWND lastCommand;
    std::unique_ptr<BitmapSection> bitmapSection;
    std::unique_ptr<WrapperSection> wrappers;
};

#endif
