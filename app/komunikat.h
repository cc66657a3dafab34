// The program's message box: with no desktop to show it on, the message goes
// to standard error under the application title.
#pragma once

#include <string_view>

inline constexpr const char* kTytulAplikacji = "Import z Subiekt GT";

void PokazKomunikat(std::string_view tekst);
