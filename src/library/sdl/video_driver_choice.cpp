#include "video_driver_choice.h"

#include <SDL.h>

namespace tarnel::graphics {

void prefer_on_screen_video_drivers() {
#if defined(__unix__) && !defined(__APPLE__) && !defined(__ANDROID__)
    if (SDL_getenv("SDL_VIDEODRIVER") != nullptr) return;
    SDL_SetHint(SDL_HINT_VIDEODRIVER,
                SDL_getenv("WAYLAND_DISPLAY") != nullptr ? "x11,wayland,KMSDRM" : "x11,KMSDRM");
#endif
}

}  // namespace tarnel::graphics
