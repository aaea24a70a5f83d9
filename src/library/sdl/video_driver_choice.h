// Which SDL video drivers a window may come from.
#pragma once

namespace tarnel::graphics {

// SDL falls back to its invisible "offscreen" driver when no display can be reached, which
// would leave a script presenting frames to nobody for ever, with is_open() true. Unless the
// user names a driver in SDL_VIDEODRIVER, only drivers that show a window are tried, so that
// without a display the window simply fails to open. Wayland is tried only when a compositor
// is announced: probing for one otherwise makes libwayland print to standard error.
// Must run before the video subsystem is initialised.
void prefer_on_screen_video_drivers();

}  // namespace tarnel::graphics
