#ifndef GALLERYIMAGES_H
#define GALLERYIMAGES_H

// Resource ids of the pictures that make-images.py draws at build time.

// The selection list: item i has its closed image at IDB_SELECT + 3i, its row at + 1 and the
// highlighted row at + 2.
#define IDB_SELECT             400
#define IDB_SELECT_ITEMS       4
#define IDB_BUTTON_UP          420
#define IDB_BUTTON_DOWN        421
#define IDB_BUTTON_HILITE      422
#define IDB_BUTTON_DOWN_HILITE 423
#define IDB_LAMP_OFF           430
#define IDB_LAMP_GREEN         431
#define IDB_LAMP_RED           432
#define IDB_SHAPE              440
#define IDB_LOGO               441
#define IDB_LOGO_MASK          442
#define IDB_RASTER             443
#define IDI_SIGNAL             450
#define IDI_LOK                451
#define IDI_WEICHE             452

#endif
