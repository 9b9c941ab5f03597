#pragma once
#include <QString>
#include <functional>
#include <optional>

namespace smx::platform {

// The share of free memory, physical and swap together, as the about box shows it: available
// memory plus free swap against total memory plus total swap, in whole percent.

// The percentage from the text of /proc/meminfo; nothing when the text lacks the totals.
std::optional<int> Free_Memory_Percent_Of(const QString& meminfo_text);

// The percentage of the running system; nothing when it cannot be read.
std::optional<int> Free_Memory_Percent_Now();

// Tests hand in their own /proc/meminfo text; an empty function restores the real file.
void set_meminfo_reader_override(std::function<QString()> reader);

} // namespace smx::platform
