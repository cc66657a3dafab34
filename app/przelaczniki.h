// The process's command-line switches. A switch is "-NAME" (bare) or
// "-NAME=value" (valued); names match without regard to case, by the
// Windows-1250 upper-casing, and values come back exactly as typed.
//
// UstawArgumenty is called once at program start, before any other thread
// exists; the queries may then be called from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Keeps argv[1] .. argv[argc - 1]; argv[0], the program name, is never searched.
void UstawArgumenty(int argc, char** argv);

// Keeps the given arguments, which do not include the program name.
void UstawArgumenty(std::vector<std::string> argumenty);

// The number of arguments after the program name: a program started with
// "-wrotka -ID=17" has two.
int LiczbaArgumentow();

// True when some argument is "-NAZWA" or begins with "-NAZWA=".
bool JestPrzelacznik(std::string_view nazwa);

// Everything after the first "=" of the first argument beginning with
// "-NAZWA="; empty when there is no such argument (a bare -NAZWA included).
std::string WartoscPrzelacznika(std::string_view nazwa);
