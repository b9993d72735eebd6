#include <gtest/gtest.h>

#include "GalleryLayout.h"
#include "KrxApp.h"

// The gallery starts with its window of the fixed client size and an empty status line, and a
// close ends it cleanly; the controls' own tests build on this.
TEST(GalleryFrame, StartsShowsStatusLineAndCloses)
{
    KrxApp gallery("ControlGallery MainKlasse");
    ASSERT_TRUE(gallery.start());
    HWND main = gallery.mainWindow();
    ASSERT_NE(main, nullptr);

    RECT client;
    ASSERT_TRUE(GetClientRect(main, &client));
    EXPECT_EQ(client.right, GalleryLayout::clientWidth);
    EXPECT_EQ(client.bottom, GalleryLayout::clientHeight);
    HWND status = GetDlgItem(main, GalleryLayout::lastCommandId);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(KrxApp::text(status), "Letzte Meldung: keine");
    EXPECT_NE(gallery.screenshot(main, "gallery"), "");

    EXPECT_EQ(gallery.close(), 0);
}
