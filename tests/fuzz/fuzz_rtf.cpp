// A remarks file of any content through the RTF reader; what it read must
// survive a write and a second read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "files/Rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const kelvarn::RichText first = kelvarn::ReadRtf(bytes);
    const kelvarn::RichText again = kelvarn::ReadRtf(kelvarn::WriteRtf(first));
    if (again.PlainText() != first.PlainText()) std::abort();
    return 0;
}
