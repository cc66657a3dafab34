// File-system queries used at start-up: whether a marker file is there, and
// where the running program lives.
//
// All functions may be called from any thread.
#pragma once

#include <string>

namespace sys {

// True when the path names something that exists and is not a directory
// (symbolic links are followed). When the path cannot be examined for a reason
// other than its absence or an invalid name (a missing permission, for
// instance), the listing of its parent directory decides, as in
// ListedAsNonDirectory.
bool IsExistingNonDirectory(const std::string& path);

// True when the parent directory of the path lists an entry with exactly the
// path's last component as its name and that entry is not known to be a
// directory. Needs only read permission on the parent, not on the entry itself.
// A path ending in '/' has no last component and gives false.
bool ListedAsNonDirectory(const std::string& path);

// The absolute path of the running executable; empty when it cannot be read.
std::string ExecutablePath();

// The directory part of a path with its trailing '/': "/opt/imp/run" gives
// "/opt/imp/", a bare name gives "".
std::string DirectoryOf(const std::string& path);

}  // namespace sys
