#pragma once

#include <map>
#include <string>

// Display text (UTF-8) → code that the matching camera command takes. A single entry "NOT_SUPPORT" → 0 marks a
// setting the model lacks.
using ParamTable = std::map<std::string, int>;
