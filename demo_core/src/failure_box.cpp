// A set-up failure in a message box, for Windows, where a GUI program has no console.
#include <allegro5/allegro_native_dialog.h>
#include <cstring>

#include "run_endings.h"

void show_failure_box(const char *title, const char *line) {
  // The line as written to stderr, without its newline.
  char text[256];
  std::size_t length = std::strcspn(line, "\n");
  if (length >= sizeof text)
    length = sizeof text - 1;
  std::memcpy(text, line, length);
  text[length] = '\0';
  // The message box needs no display and no installed library: it may come after both are
  // gone.
  al_show_native_message_box(nullptr, title, "", text, nullptr, ALLEGRO_MESSAGEBOX_ERROR);
}
