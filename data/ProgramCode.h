#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelvarn {

// Bytes of a START-key program text: digit pairs in text order.
std::vector<uint8_t> KeyProgramBytes(const QString& hex);

// The 500-byte upload image of a timed program text: filled with 255, then
// each 4-digit word stored low byte first.
std::array<uint8_t, 500> TimedProgramImage(const QString& hex);

// Image positions (1-based) that carry the start delay.
constexpr int kDelayHoursPos = 68;
constexpr int kDelayMinutesPos = 73;
constexpr int kDelaySecondsPos = 78;
constexpr int kDelayZeroPos = 313;

// What an uploaded payload says about itself, if it is one of Kelvarn's
// own programs.
struct ProgramIdentity {
    int row = 0;  // 1..9
    bool timed = false;
    int delayHours = 0, delayMinutes = 0, delaySeconds = 0;  // timed only
};
std::optional<ProgramIdentity> IdentifyProgram(const std::vector<uint8_t>& payload);

}  // namespace kelvarn
