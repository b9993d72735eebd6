#ifndef GALLERYLAYOUT_H
#define GALLERYLAYOUT_H

// The gallery window's fixed layout and the ids its tests find controls by; free of the library's
// headers so that tests can include it.
namespace GalleryLayout
{
int const clientWidth = 720;
int const clientHeight = 480;
// The status line at the bottom: the last command message a control sent.
int const lastCommandId = 100;
int const statusHeight = 20;
} // namespace GalleryLayout

#endif
