#include "remedy/debugger_hijacks.h"

void RemoveDebuggerHijacks(bool) {}
