// Test hook: puts window events on the process's event queue, as a user closing the window
// or pressing a key would. Only meaningful while a window (and so the queue) exists.
#pragma once

namespace tarnel::graphics {

enum class TestEvent { Quit, EscapeDown, EscapeUp, OtherKeyDown };

// False when the queue refused the event (for example because no window exists).
bool push_test_event(TestEvent event);

}  // namespace tarnel::graphics
