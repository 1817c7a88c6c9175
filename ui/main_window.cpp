#include "ui/main_window.h"

int RunMainWindow(const wchar_t*, int) { return 0; }
