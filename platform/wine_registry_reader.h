// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry file a Wine prefix keeps for its user ("user.reg", first line
// "WINE REGISTRY Version 2"), read as the Wine server reads it: the companion
// programs run under Wine keep their keys there. The second line, ";; All
// keys relative to REGISTRY\\User\\S-..." (older servers: "\\User\\..."),
// tells a user's file from the machine's. Key lines are "[path]" with an
// optional time stamp, the path relative to HKEY_CURRENT_USER; values are
// "name"="text", @="text", str:"text", str(2):"text" (expandable, a text),
// str(7):"..." (multi-text), dword: and hex(N): (continued over lines ending
// in '\'). Texts and paths carry the server's escapes (see ReadEscaped);
// non-ASCII characters come as \x escapes, and UTF-8 written by hand is
// read as UTF-8. A value whose data cannot be read is kept as a value of
// another type, as the server keeps it. Lines starting with ';' are
// comments, with '#' metadata. The prefix's decimal separator
// ([Control Panel\\International] "sDecimal") comes with the content.
#include <string_view>
#include <vector>

#include "platform/registry_content.h"

namespace platform {

// Does the file start with Wine's header line?
bool IsWineRegistry(std::string_view bytes);

// Parses the raw bytes of a Wine registry file. Never throws for bad content:
// each line it cannot understand is skipped and listed in `problems`.
RegistryContent ParseWineRegistry(std::string_view bytes, std::vector<RegistryProblem>* problems = nullptr);

}  // namespace platform
