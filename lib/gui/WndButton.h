#ifndef WNDBUTTON_H
#define WNDBUTTON_H

#include <memory>

#include "Bitmap.h"
#include "ImageList.h"
#include "Window.h"

// A push button made of bitmaps (up, down, and optionally both highlighted under the mouse),
// with an icon and an overlay from image lists drawn on top. Every change of its up/down state
// goes to the parent as WM_COMMAND with the control id and the code 1 (down) or 2 (up).
class LIBAPI WndButton : public virtual Window
{
public:
    enum Flags
    {
        latching = 1,    // once down, stays down until reset or setState
        keepOnLeave = 2, // leaving with the mouse held keeps the button pressed
        toggling = 4,    // each press flips the state
        noHighlight = 8  // the picture never changes under the mouse
    };

    // hiliteId and downHiliteId 0: no highlight images. Without the up image no window is made.
    WndButton(void* instance, Window* parent, unsigned short id, int x, int y, int upId, int downId,
              int hiliteId, int downHiliteId, int flags);
    virtual ~WndButton();

    virtual void setHilite(bool hilite);
    // 1 down, 2 up.
    virtual int getState();
    // 1 puts the button down, anything else up; no message to the parent.
    virtual void setState(int state);
    // A key held (true) or released as if it were the mouse button.
    virtual void notifyKey(bool down);
    // Up, without a message to the parent.
    virtual void reset();
    virtual int getFlags();
    virtual void setFlags(int flags);
    // Not owned; the highlight list is used while the mouse is over the button.
    virtual void setImageLists(ImageList* normal, ImageList* hilite);
    virtual void setImageIndex(int index, int overlay);
    virtual void setImageIndex(int index);
    virtual void setImageIndexOverlay(int overlay);
    virtual int getImageIndex();
    virtual int getImageIndexOverlay();

protected:
    virtual LRESULT notifyPaint(WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT notifyLeftMouseButtonDown(WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT notifyLeftMouseButtonUp(WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT notifyMouseMove(WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT notifyMouseLeave(WPARAM wParam, LPARAM lParam) override;

private:
    WndButton(WndButton const&) = delete;
    WndButton& operator=(WndButton const&) = delete;

    void applyStateRule();
    void drawImage(HDC dc, int index);

    static ATOM atomClass;

    std::unique_ptr<Bitmap> upImage, downImage;
    std::unique_ptr<Bitmap> hiliteImage, downHiliteImage;
    bool mouseDown;
    bool keyDown;
    bool highlighted;
    bool down;
    unsigned short id;
    bool tracking;
    int flags;
    ImageList* imageList;
    ImageList* hiliteImageList;
    int imageIndex;
    int overlayIndex;
};

#endif
