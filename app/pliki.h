// File queries of the program: marker files and the executable's version.
//
// May be called from any thread.
#pragma once

#include <string>

// True when the path names something that is not a directory. When the path
// exists but cannot be examined (a missing permission, for instance), a search
// of its directory for the exact name decides.
bool PlikIstnieje(const std::string& sciezka);

// The file version embedded in the executable as "major.minor.release.build";
// empty when the file carries no version.
std::string WersjaPliku(const std::string& sciezka);
