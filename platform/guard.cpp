#include "platform/guard.h"

#include "platform/errors.h"

namespace platform {

bool runGuarded(Dialogs& dialogs, const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const SilentAbort&) {
        return false;
    } catch (const std::exception& error) {
        dialogs.defaultErrorDisplay(withFullStop(error.what()));
        return false;
    } catch (...) {
        dialogs.defaultErrorDisplay("Error desconocido.");
        return false;
    }
}

} // namespace platform
