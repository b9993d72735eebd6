#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "Window.h"

class MainDialog;

// The program's one top-level window; its client area is exactly the main dialog.
class MainWindow : public virtual Window
{
public:
    MainWindow();
    virtual ~MainWindow();

    MainDialog* getMainDialog() const { return mainDialog; }

protected:
    LRESULT notifyCreate(WPARAM wParam, LPARAM lParam) override;
    LRESULT notifyClose(WPARAM wParam, LPARAM lParam) override;
    LRESULT notifyDestroy(WPARAM wParam, LPARAM lParam) override;

private:
    void sizeToDialog();

    MainDialog* mainDialog;
};

#endif
