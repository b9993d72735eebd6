#ifndef WNDBMPLIST_H
#define WNDBMPLIST_H

#include <memory>
#include <vector>

#include "Bitmap.h"
#include "Window.h"

// A child window that shows one bitmap out of a fixed list (a lamp, a symbol that changes with
// a state), or in its blank form a white area that can be given a bitmap later. With a control
// id other than 0 every mouse move over it goes to the parent as WM_COMMAND with the code 1.
class LIBAPI WndBmpList : public virtual Window
{
public:
    // The window takes the first bitmap's size; without it no window is made. Shows bitmap 0.
    WndBmpList(void* instance, Window* parent, unsigned short id, int x, int y, int* bitmapIds,
               int count);
    WndBmpList(void* instance, Window* parent, unsigned short id, int x, int y, int bitmapId);
    WndBmpList(void* instance, Window* parent, unsigned short id, int x, int y, int bitmapId1,
               int bitmapId2);
    WndBmpList(void* instance, Window* parent, unsigned short id, int x, int y, int bitmapId1,
               int bitmapId2, int bitmapId3);
    WndBmpList(void* instance, Window* parent, int x, int y, int bitmapId);
    // The blank form: white until setBitmap gives it a picture; id 0.
    WndBmpList(Window* parent, int x, int y, int width, int height, bool border);
    // No window: for derived classes.
    WndBmpList();
    virtual ~WndBmpList();

    // Shows bitmap index (-1: none); the previous index.
    virtual int select(int index);
    // Replaces the first bitmap (the old one is destroyed) and shows the new one; the list owns
    // it from now on. Null leaves the list without a picture.
    virtual void setBitmap(Bitmap* bitmap);

protected:
    virtual LRESULT notifyPaint(WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT notifyMouseMove(WPARAM wParam, LPARAM lParam) override;

private:
    WndBmpList(WndBmpList const&) = delete;
    WndBmpList& operator=(WndBmpList const&) = delete;

    void create(void* instance, Window* parent, unsigned short id, int x, int y,
                int const* bitmapIds, int count);
    static void registerOnce(void* instance);

    static ATOM atomClass;

    int count;
    std::vector<std::unique_ptr<Bitmap>> bitmaps;
    bool border;
    bool fillWhite;
    int selected;
    unsigned short id;
};

#endif
