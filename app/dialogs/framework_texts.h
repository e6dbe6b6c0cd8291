// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The framework's error messages that the core library (which knows no Qt)
// raises with fixed texts: a message of one of their forms is given back in
// the user's language, any other message unchanged.
#include <cstdint>
#include <string>

namespace app {

// "'abc' is not a valid integer value" -> the same in the user's language;
// "Type de données incorrect pour 'Speed1'" likewise. The argument is kept
// as it came. The serial line's errors ("Registry error (win error code:
// 2)") likewise, their number kept.
std::string TranslatedErrorText(const std::string& message);

// The source text this file translates for a serial error code (1..23), so
// that a test can hold it against the serial library's own table.
std::string SerialErrorSource(int32_t code);

}  // namespace app
