#pragma once

// The families of the maker's devices a port may hold, each described once:
// how the search recognises it and how its input channels and outputs are
// reached. The search, the link's channel and output exchanges and the
// simulator all work from these descriptions, so a byte changes in one
// place.

namespace kelvarn {

// Codes of DeviceKind: what the device search found on the port.
enum DeviceKinds : int {
    kNoDevice = 0,
    kVendraSerial = 1,  // 19200 baud
    kNera = 4,          // 19200 baud
    kCell = 8,          // 9600 baud, RQ410 or plain cell
    kTavinbox = 16,     // 19200 baud
    kOrbide = 32,       // 19200 baud
    kVendraUsb = 64,    // USB adapter
    kPeltrix = 128,     // 9600 or 19200 baud
};

// The serial families. The two cells share a DeviceKind and differ only in
// how they answer the connection check.
enum class DeviceFamilyId { Rq410, PlainCell, Nera, Peltrix, VendraSerial, Tavinbox, Orbide };

// How a family hands out its input channels.
enum class ChannelAccess {
    kOneBytePerChannel,   // channel1 asks for channel 1, channel2 for any other
    kNumberedBytes,       // channel1 + n - 1 asks for channel n
    kCommandAndNumber,    // channel1, then the channel's number
    kOneExchangeForBoth,  // channel1 opens, each channel2 that follows gets one value
};

struct DeviceFamily {
    DeviceFamilyId id;
    const char* name;         // the simulator's name for it
    int kind;                 // DeviceKind once found
    int baud;                 // line speed of its probe [bit/s]
    bool alsoAt9600;          // answers at 9600 baud as well
    int identifyPauseMs;      // pause between the probe's zeros and its question
    int identify;             // the byte that asks the device who it is
    int replyLow, replyHigh;  // the replies that name the family
    int reply;                // what the simulated device answers
    ChannelAccess channels;
    int channel1, channel2;  // see ChannelAccess
    int output;              // the byte before an output value
};

inline constexpr DeviceFamily kDeviceFamilies[] = {
    {DeviceFamilyId::Rq410, "rq410", kCell, 9600, false, 100, 12, 240, 240, 240,
     ChannelAccess::kCommandAndNumber, 7, 0, 11},
    {DeviceFamilyId::PlainCell, "cell", kCell, 9600, false, 10, 13, 1, 1, 1,
     ChannelAccess::kCommandAndNumber, 7, 0, 11},
    {DeviceFamilyId::Nera, "nera", kNera, 19200, false, 10, 1, 10, 10, 10,
     ChannelAccess::kNumberedBytes, 48, 49, 16},
    {DeviceFamilyId::Peltrix, "peltrix", kPeltrix, 19200, true, 10, 1, 20, 20, 20,
     ChannelAccess::kNumberedBytes, 48, 49, 16},
    {DeviceFamilyId::VendraSerial, "vendra", kVendraSerial, 19200, false, 10, 1, 200, 209, 201,
     ChannelAccess::kOneBytePerChannel, 60, 58, 81},
    {DeviceFamilyId::Tavinbox, "tavinbox", kTavinbox, 19200, false, 10, 211, 1, 255, 77,
     ChannelAccess::kOneExchangeForBoth, 176, 210, 81},
    {DeviceFamilyId::Orbide, "orbide", kOrbide, 19200, false, 10, 13, 33, 33, 33,
     ChannelAccess::kOneBytePerChannel, 48, 50, 72},
};

constexpr const DeviceFamily& Family(DeviceFamilyId id) {
    for (const DeviceFamily& f : kDeviceFamilies)
        if (f.id == id) return f;
    return kDeviceFamilies[0];
}

// The family whose devices the link reaches for DeviceKind kind (the
// RQ410's for the cell); nullptr for the USB adapter and unknown kinds.
constexpr const DeviceFamily* FamilyOfKind(int kind) {
    for (const DeviceFamily& f : kDeviceFamilies)
        if (f.kind == kind) return &f;
    return nullptr;
}

}  // namespace kelvarn
