#include "link/DeviceFamily.h"

namespace kelvarn {

std::optional<DeviceFamilyId> FamilyFromName(const QString& name) {
    for (const DeviceFamily& f : kDeviceFamilies)
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) return f.id;
    return std::nullopt;
}

}  // namespace kelvarn
