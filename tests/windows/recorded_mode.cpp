// Prints the display mode Windows records as the desktop's, the one a fullscreen program's
// mode is given back to when it ends, as WIDTHxHEIGHT: the end-to-end checks under Wine read it.
#include <windows.h>

#include <cstdio>

int main() {
  DEVMODEW mode = {};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsW(nullptr, ENUM_REGISTRY_SETTINGS, &mode))
    return 1;
  std::printf("%lux%lu\n", mode.dmPelsWidth, mode.dmPelsHeight);
  return 0;
}
