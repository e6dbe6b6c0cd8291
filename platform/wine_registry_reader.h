#pragma once
// The registry file a Wine prefix keeps for its user ("user.reg", first line
// "WINE REGISTRY Version 2"), read as it is: the companion programs run under
// Wine keep their keys there. Key lines are "[path] timestamp" with the path
// relative to HKEY_CURRENT_USER; values are "name"="text", @="text",
// str(2):"text" (expandable, a text), str(7):"..." (multi-text), dword: and
// hex(N): (continued over lines ending in '\'). Inside quotes and key paths
// \\, \", \n, \r, \t, \0 and \x with one to four hex digits (one UTF-16 code
// unit) are escapes. Lines starting with ';' are comments, with '#' metadata.
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
