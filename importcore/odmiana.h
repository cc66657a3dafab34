// Polish count phrases: "1 magazynie", "3 magazynach".
#pragma once

#include <cstdint>
#include <string>

// The form for the count: singular for 1 (sign dropped), the "few" form for
// counts ending in 2-4 but not 12-14, the "many" form otherwise. An empty few
// form falls back to the singular, an empty many form to the few form. With
// `zLiczba` the count and a blank come first.
std::string Odmiana(std::int64_t liczba, const std::string& pojedyncza, const std::string& kilka,
                    const std::string& wiele, bool zLiczba);
