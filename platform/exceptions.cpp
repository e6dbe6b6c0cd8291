// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/exceptions.h"

namespace platform {

void Abort() { throw EAbort(); }

}  // namespace platform
