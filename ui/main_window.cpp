#include "ui/main_window.h"

#include "ui/main_frame.h"

int RunMainWindow(const wchar_t* commandLine, int showCommand) {
  return RunMainWindow(commandLine, showCommand, WorkerThreadEntry);
}
