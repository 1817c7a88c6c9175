// Process entry of the downloader.
#include <windows.h>

#include "app/entry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
  return RunDownloader(instance, commandLine, showCommand);
}
