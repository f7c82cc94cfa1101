#include "core/StartupHooks.h"

namespace core {

StartupHooks &hooks() {
    static StartupHooks h;
    return h;
}

} // namespace core
