/* Wine losing the mode it records as the desktop's, with the Windows API alone. Switches the
 * display to 800x600 and back, as a game's size switch does, and after each switch reads the
 * mode a fullscreen program is given back to (ENUM_REGISTRY_SETTINGS); stops at the first
 * switch after which it is no longer the one it was at the start.
 * Build: x86_64-w64-mingw32-gcc -O2 -o lost_record.exe lost_record.c
 * Usage: wine lost_record.exe [SWITCHES (200)] on an X server that can switch modes.
 * See README.md. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static DEVMODEW recorded(void) {
  DEVMODEW mode = {0};
  mode.dmSize = sizeof mode;
  EnumDisplaySettingsW(NULL, ENUM_REGISTRY_SETTINGS, &mode);
  return mode;
}

static void set_mode(DWORD width, DWORD height) {
  DEVMODEW mode = {0};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  ChangeDisplaySettingsExW(NULL, &mode, NULL, CDS_FULLSCREEN, NULL);
}

int main(int argc, char **argv) {
  int switches = argc > 1 ? atoi(argv[1]) : 200;
  /* A window, so that Wine's desktop process runs, as it does for any program with one. */
  CreateWindowExW(0, L"STATIC", L"lost_record", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
  DEVMODEW desktop = recorded();
  printf("recorded at the start: %lux%lu\n", desktop.dmPelsWidth, desktop.dmPelsHeight);
  for (int i = 1; i <= switches; i++) {
    set_mode(800, 600);
    Sleep(50);
    DEVMODEW now = recorded();
    if (now.dmPelsWidth != desktop.dmPelsWidth || now.dmPelsHeight != desktop.dmPelsHeight) {
      printf("after switch %d (to 800x600): recorded %lux%lu\n", i, now.dmPelsWidth,
             now.dmPelsHeight);
      ChangeDisplaySettingsExW(NULL, NULL, NULL, 0, NULL);
      return 1;
    }
    set_mode(desktop.dmPelsWidth, desktop.dmPelsHeight);
    Sleep(50);
  }
  printf("kept through %d switches\n", switches);
  ChangeDisplaySettingsExW(NULL, NULL, NULL, 0, NULL);
  return 0;
}
