#pragma once

#include <functional>

// The end of the running process.
namespace platform {

// Ends the process at once, without closing windows or asking anything. Returns only when a
// test has replaced it; callers return straight after it.
void endprocess(int code = 0);

// Tests replace the end of the process with a function that records it.
void setendprocesshandler(std::function<void(int)> handler);

} // namespace platform
