#pragma once

#include <chrono>

// Monotonic seconds: never jumps with the wall clock and never wraps at midnight.
// Never 0, so a stored reading of 0 can mean "nothing has happened yet".
inline double clockSeconds()
{
    using namespace std::chrono;
    return 1.0 + duration<double>(steady_clock::now().time_since_epoch()).count();
}
