#pragma once
// Every event handler runs inside this guard: whatever it raises ends the handler
// and is shown in the default error display; the silent abort shows nothing.
#include "platform/dialogs.h"

#include <functional>

namespace platform {

// Runs the handler; returns false when it ended with a failure (shown or silent).
bool runGuarded(Dialogs& dialogs, const std::function<void()>& handler);

} // namespace platform
