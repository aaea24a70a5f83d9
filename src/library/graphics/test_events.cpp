#include "test_events.h"

#include <SDL.h>

namespace tarnel::graphics {

bool push_test_event(TestEvent event) {
    SDL_Event e{};
    switch (event) {
        case TestEvent::Quit:
            e.type = SDL_QUIT;
            break;
        case TestEvent::EscapeDown:
        case TestEvent::EscapeUp:
        case TestEvent::OtherKeyDown:
            e.type = event == TestEvent::EscapeUp ? SDL_KEYUP : SDL_KEYDOWN;
            e.key.state = event == TestEvent::EscapeUp ? SDL_RELEASED : SDL_PRESSED;
            e.key.keysym.sym = event == TestEvent::OtherKeyDown ? SDLK_a : SDLK_ESCAPE;
            e.key.keysym.scancode =
                event == TestEvent::OtherKeyDown ? SDL_SCANCODE_A : SDL_SCANCODE_ESCAPE;
            break;
    }
    return SDL_PushEvent(&e) == 1;
}

}  // namespace tarnel::graphics
