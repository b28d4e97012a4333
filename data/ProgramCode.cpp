#include "data/ProgramCode.h"

#include "data/ProgramTable.h"

namespace kelvarn {

namespace {

int HexValue(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return 0;
}

uint8_t HexByte(const QString& s, int i) {  // digits i and i + 1, 0-based
    const int hi = i < s.size() ? HexValue(s[i]) : 0;
    const int lo = i + 1 < s.size() ? HexValue(s[i + 1]) : 0;
    return static_cast<uint8_t>(hi * 16 + lo);
}

constexpr uint8_t kMark = 0xA5;
constexpr uint8_t kKeyTag = 0x4B;    // 'K'
constexpr uint8_t kTimedTag = 0x54;  // 'T'

}  // namespace

std::vector<uint8_t> KeyProgramBytes(const QString& hex) {
    std::vector<uint8_t> out;
    for (int k = 0; 2 * k + 1 < hex.size(); ++k) out.push_back(HexByte(hex, 2 * k));
    return out;
}

std::array<uint8_t, 500> TimedProgramImage(const QString& hex) {
    std::array<uint8_t, 500> image;
    image.fill(255);
    for (int g = 0; 4 * g + 1 < hex.size() && 2 * g + 1 < 500; ++g) {
        image[2 * g] = HexByte(hex, 4 * g + 2);
        image[2 * g + 1] = HexByte(hex, 4 * g);
    }
    return image;
}

std::optional<ProgramIdentity> IdentifyProgram(const std::vector<uint8_t>& p) {
    if (p.size() < 8 || p[0] != kMark || (p[1] != kKeyTag && p[1] != kTimedTag))
        return std::nullopt;
    const int row = p[2] - 'A' + 1;
    const ProgramRow& r = Programs().Row(row);
    if (r.Points == 0 || p[3] * 256 + p[4] != r.Points || p[5] * 256 + p[6] != r.IntervalMs ||
        p[7] != r.Measurements)
        return std::nullopt;
    ProgramIdentity id;
    id.row = row;
    id.timed = p[1] == kTimedTag;
    if (id.timed) {
        if (p.size() < size_t(kDelaySecondsPos)) return std::nullopt;
        id.delayHours = p[kDelayHoursPos - 1];
        id.delayMinutes = p[kDelayMinutesPos - 1];
        id.delaySeconds = p[kDelaySecondsPos - 1];
    }
    return id;
}

}  // namespace kelvarn
