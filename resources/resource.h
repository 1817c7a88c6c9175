// Identifiers of the program's resources, shared by the resource script and the code.
#pragma once

#define IDI_VARDEX 128    /* the program icon, 13 images */
#define IDR_BAR_SHINE 130 /* PNG, the progress bar's moving highlight */
#define IDR_BAR_TROUGH 131 /* PNG, the empty groove */
#define IDR_BAR_FILL 132  /* PNG, the glossy fill */
#define IDB_SKIN 133      /* the window's background, 482 x 156, 24 bpp */
