// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry editor's export file: "Windows Registry Editor Version 5.00"
// (UTF-16LE with a BOM, as the registry editor exports it, or UTF-8) and
// "REGEDIT4" (UTF-8 or an 8-bit code page). Only keys under
// HKEY_CURRENT_USER (or HKCU) count; keys of other hives are skipped quietly.
#include <string_view>
#include <vector>

#include "platform/registry_content.h"

namespace platform {

// Parses the raw bytes of an export file. Never throws for bad content: each
// malformed line is skipped and listed in `problems` (when given).
RegistryContent ParseRegistryExport(std::string_view bytes, std::vector<RegistryProblem>* problems = nullptr);

}  // namespace platform
