#ifndef WNDSELECTLIST_H
#define WNDSELECTLIST_H

#include <memory>
#include <vector>

#include "Bitmap.h"
#include "Window.h"

// A drop-down selector made of bitmaps: shows the selected item and unfolds into a column of
// the enabled items while the mouse is over it. A new selection, by mouse or keyboard, is sent
// to the parent as WM_COMMAND with the control id and the code 1.
class LIBAPI WndSelectList : public virtual Window
{
public:
    // bitmapIds holds 3 x count bitmap resources, for item i: 3i the closed image (the
    // selection, also on top of the unfolded column), 3i + 1 its row in the column, 3i + 2 that
    // row highlighted. The first bitmap sets every row's size; without it no window is made.
    WndSelectList(void* instance, Window* parent, unsigned short id, int x, int y, int* bitmapIds,
                  int count);
    virtual ~WndSelectList();

    // Without a message to the parent; the previous selection. An index out of range is ignored.
    int select(int index);
    int getSelected();
    int isClapped();
    // The number of items.
    int getSize();
    // Folds (0) or unfolds the list.
    void clap(int unfolded);
    // Nothing is repainted; the previous flag.
    bool enableSelect(int index, bool enable);
    int countEnabledSelect();
    void hiliteBefore();
    void hiliteNext();
    void hiliteFirst();
    void hiliteLast();

protected:
    virtual LRESULT notifyPaint(WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT notifyMouseMove(WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT notifyMouseLeave(WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT notifyLeftMouseButtonDown(WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT notifyKeyDown(WPARAM wParam, LPARAM lParam) override;

private:
    WndSelectList(WndSelectList const&) = delete;
    WndSelectList& operator=(WndSelectList const&) = delete;

    void select();
    int selectAt(int row);
    void setHilite(int index);
    // Highlights the first enabled item from start on in steps of step (+1 or -1), if any.
    void hiliteEnabledFrom(int start, int step);
    bool isEnabled(int index);

    static ATOM atomClass;

    unsigned short id;
    int count;
    std::vector<std::unique_ptr<Bitmap>> bitmaps;
    int itemWidth;
    int itemHeight;
    int clapped;
    int selected;
    int hilite;
    std::vector<bool> enabled;
    bool tracking;
};

#endif
