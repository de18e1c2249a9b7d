#pragma once

#include <functional>

// Asks the session's login manager to power the machine off. The outcome is
// ignored: if the system refuses, nothing else happens.
void requestSystemPowerOff();

using ShutdownRequest = std::function<void()>;
