#pragma once

namespace kelvarn {

// Hexadecimal program code, row order A to I.
extern const char* const kKeyPrograms[9];
extern const char* const kTimedPrograms[9];

}  // namespace kelvarn
