#pragma once

namespace kelvarn {

// Command bytes of the cell. Every command is preceded by ResetLink.
constexpr int kCmdEnd = 0;          // ends an upload or a read
constexpr int kCmdNext = 1;         // announces a program byte / requests the next byte
constexpr int kCmdReadMemory = 2;   // the cell hands out its memory
constexpr int kCmdLoadProgram = 5;  // the cell takes a program, prompting for each byte
constexpr int kCmdRunProgram = 6;   // the cell runs the loaded program
constexpr int kCmdStartLive = 9;    // the cell starts at once and streams level bytes

// Pause after a command byte so that the cell's processor can switch [ms].
constexpr int kCommandPauseMs = 4;

}  // namespace kelvarn
