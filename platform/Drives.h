#pragma once
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace smx::platform {

// Linux has no drive letters: "c" is the home directory, "d", "e", ... the other mounted real
// filesystems in mount order, each rooted at its mount point.
struct Drive {
    char letter = 'c'; // lower case
    QString root;      // absolute path, no trailing slash except for "/"
    QString label;     // filesystem label or type, for display
};

// Drive letters are kept in lower case; either case names the same drive.
inline char lower_drive_letter(char letter) {
    return (letter >= 'A' && letter <= 'Z') ? static_cast<char>(letter - 'A' + 'a') : letter;
}

// The table the drive list and the disk test use.
std::vector<Drive> drive_table();
// The drive for a letter (either case), if there is one.
std::optional<Drive> find_drive(char letter);

// Builds the table from the text of /proc/self/mounts and a home directory. A tmpfs is listed
// at /tmp, in mount order, and as a RAM disk after all the others where the user may write it
// (`may_write`; user_may_write when not given) and it is none of the system's own (/run, /dev).
std::vector<Drive> drives_from_mounts(const QString& mounts_text, const QString& home,
                                      const std::function<bool(const QString&)>& may_write = {});
// Whether the calling user may create files in the folder.
bool user_may_write(const QString& folder);

// Tests substitute the table in-process; std::nullopt restores the real one.
void set_drive_table_override(std::optional<std::vector<Drive>> table);

} // namespace smx::platform
