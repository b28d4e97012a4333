// A protocol file of any content through the reader, checked against a record of one or of
// twelve measurements (the first byte chooses). What it read must be written and read back to
// the same protocol, each start in its own offset.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "files/ProtocolFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const kelvarn::ProtocolShape shape{(size > 0 && (data[0] & 1)) ? std::vector<double>(12, 600.0)
                                                                   : std::vector<double>{86400.0}};
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    kelvarn::MeasurementProtocol first;
    if (!kelvarn::ParseProtocol(bytes, shape, first).ok) return 0;
    kelvarn::MeasurementProtocol again;
    if (!kelvarn::ParseProtocol(kelvarn::WriteProtocol(first), shape, again).ok) std::abort();
    if (!(again == first)) std::abort();
    for (size_t i = 0; i < first.starts.size(); ++i)
        if (again.starts[i].start.offsetFromUtc() != first.starts[i].start.offsetFromUtc())
            std::abort();
    return 0;
}
