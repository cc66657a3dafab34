// Registers an open Solvo connection with the server (program version,
// computer name, application name). Main thread.
#pragma once

#include <string>

#include "platform/firebird/database.h"

// Never raises: a failed registration is rolled back and forgotten. An empty
// application name stands for the program file's name.
void InitConnection(fb::Database& baza, const std::string& nazwaAplikacji);

// The registration statement, with every text quoted and cut to its width.
std::string TekstInitConnection(const std::string& wersja, const std::string& komputer,
                                const std::string& aplikacja);
