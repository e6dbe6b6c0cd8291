#include "platform/exceptions.h"

namespace platform {

void Abort() { throw EAbort(); }

}  // namespace platform
