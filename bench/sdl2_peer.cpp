// sdl2_peer: the display size switch made by an SDL2 program, the peer the benchmark times
// beside the programs: fullscreen at 1024x768, the picture bmp.bmp sliding along the top edge,
// Q to 800x600 and back, Escape to end.
#include <SDL.h>

struct peer_settings {
  int start_width, start_height, alt_width, alt_height;
  const char *image_path;
  double step_interval; // seconds between one-pixel steps
};

static const peer_settings settings = {1024, 768, 800, 600, "bmp.bmp", 0.01};

struct peer_state {
  SDL_Window *window;
  SDL_Renderer *renderer;
  SDL_Texture *picture;
  int picture_width, picture_height;
  int x, dx;
  bool alt_size;
};

// SDL2's own route for an exclusive fullscreen window: out of fullscreen, the new mode, the
// window's size, fullscreen again.
static void switch_size(peer_state &state, int width, int height) {
  SDL_DisplayMode wanted = {0, width, height, 0, nullptr}, mode;
  if (!SDL_GetClosestDisplayMode(SDL_GetWindowDisplayIndex(state.window), &wanted, &mode))
    return;
  SDL_SetWindowFullscreen(state.window, 0);
  SDL_SetWindowDisplayMode(state.window, &mode);
  SDL_SetWindowSize(state.window, width, height);
  SDL_SetWindowFullscreen(state.window, SDL_WINDOW_FULLSCREEN);
}

static void step_and_draw(peer_state &state) {
  int width, height;
  SDL_GetWindowSize(state.window, &width, &height);
  if (state.x + state.dx < 0 || state.x + state.dx + state.picture_width > width)
    state.dx = -state.dx;
  state.x += state.dx;
  SDL_SetRenderDrawColor(state.renderer, 0, 0, 0, 255);
  SDL_RenderClear(state.renderer);
  SDL_Rect where = {state.x, 0, state.picture_width, state.picture_height};
  SDL_RenderCopy(state.renderer, state.picture, nullptr, &where);
  SDL_RenderPresent(state.renderer);
}

// Handles the queued events; false once Escape is pressed.
static bool handle_events(peer_state &state) {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type != SDL_KEYDOWN || event.key.repeat)
      continue;
    if (event.key.keysym.sym == SDLK_ESCAPE)
      return false;
    if (event.key.keysym.sym == SDLK_q) {
      state.alt_size = !state.alt_size;
      switch_size(state, state.alt_size ? settings.alt_width : settings.start_width,
                  state.alt_size ? settings.alt_height : settings.start_height);
    }
  }
  return true;
}

int main(int /*argc*/, char ** /*argv*/) {
  // On X (Xwayland too), as the programs are: in a Wayland session SDL2 would take Wayland.
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    SDL_Log("sdl2_peer: %s", SDL_GetError());
    return 1;
  }
  peer_state state = {};
  state.dx = 1;
  SDL_Surface *image = SDL_LoadBMP(settings.image_path);
  state.window =
      SDL_CreateWindow("sdl2_peer", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                       settings.start_width, settings.start_height, SDL_WINDOW_FULLSCREEN);
  state.renderer = state.window ? SDL_CreateRenderer(state.window, -1, 0) : nullptr;
  state.picture =
      image && state.renderer ? SDL_CreateTextureFromSurface(state.renderer, image) : nullptr;
  if (!state.picture) {
    SDL_Log("sdl2_peer: %s", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  state.picture_width = image->w;
  state.picture_height = image->h;
  SDL_FreeSurface(image);
  Uint64 last_step = SDL_GetPerformanceCounter();
  const double ticks_a_second = static_cast<double>(SDL_GetPerformanceFrequency());
  while (handle_events(state)) {
    Uint64 now = SDL_GetPerformanceCounter();
    if (static_cast<double>(now - last_step) / ticks_a_second > settings.step_interval) {
      last_step = now;
      step_and_draw(state);
    }
  }
  SDL_Quit();
  return 0;
}
