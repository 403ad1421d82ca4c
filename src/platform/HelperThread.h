// A helper thread that works beside the one that starts it.
#pragma once

#include <functional>
#include <thread>

namespace kestrel {

// Starts `body` on a new thread that begins on another core than the
// caller's when the program may use more than one: Linux puts a new thread
// on its parent's core, where it can wait a few milliseconds for the
// balancer to move it (measured 1 to 4 ms on two cores), which is the time
// a helper started ahead of need was meant to save. Once running it may
// move anywhere. Throws std::system_error as std::thread does.
std::thread StartBeside(std::function<void()> body);

}  // namespace kestrel
