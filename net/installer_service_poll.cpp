#include "net/installer_service.h"

uint32_t ServicePollInterval(uint32_t waitHintMs) {
  const uint32_t tenth = waitHintMs / 10;
  if (tenth < 1000) return 1000;
  if (tenth > 10000) return 10000;
  return tenth;
}
