#include "device/sysinfo/device_classification.h"

#include <cstring>
#include <string_view>

#include "common/os_version_span.h"
#include "common/utf16_text.h"

namespace zk {
namespace {

bool Contains(std::u16string_view text, std::u16string_view part) {
    return text.find(part) != std::u16string_view::npos;
}

struct Family {
    std::u16string_view vendor;
    std::u16string_view fragments[2];
    std::uint8_t SystemInfoRecord::*flag;
};

constexpr Family FAMILIES[] = {
    {u"INTEL", {u"PXA", u""}, &SystemInfoRecord::isIntel},
    {u"TI", {u"OMAP", u""}, &SystemInfoRecord::isTI},
    {u"SAMSUNG", {u"S3C", u"SC3"}, &SystemInfoRecord::isSamsung},
};

}  // namespace

SystemInfoRecord ClassifyDevice(const RawDeviceFacts& facts) {
    SystemInfoRecord record;
    std::memset(&record, 0, sizeof record);

    if (facts.versionKnown) {
        record.majorVersion = facts.majorVersion;
        record.minorVersion = facts.minorVersion;
        const OsVersion version{facts.majorVersion, facts.minorVersion};
        record.isOs2002 = SpanHolds(OS_SPAN_2002, version) ? 1 : 0;
        record.isOs2003 = SpanHolds(OS_SPAN_2003, version) ? 1 : 0;
        record.isOs2003SE = SpanHolds(OS_SPAN_2003SE, version) ? 1 : 0;
        record.isOs2005 = SpanHolds(OS_SPAN_WM5, version) ? 1 : 0;
    }

    if (facts.platformTypeKnown) {
        CopyText16(record.platformType, facts.platformType);
        std::u16string_view type = TextOf16(record.platformType);
        if (EqualsIgnoringCase(type, u"PocketPC"))
            record.isPocketPC = 1;
        else if (EqualsIgnoringCase(type, u"SmartPhone"))
            record.isSmartPhone = 1;
    }

    if (facts.processorKnown) {
        CopyText16(record.processorName, facts.processorName);
        CopyText16(record.processorCore, facts.processorCore);
        CopyText16(record.processorVendor, facts.processorVendor);
        record.clockSpeed = facts.clockSpeed;
    }
    std::u16string_view name = TextOf16(record.processorName);
    std::u16string_view core = TextOf16(record.processorCore);
    std::u16string_view vendor = TextOf16(record.processorVendor);
    for (const Family& family : FAMILIES) {
        bool match = EqualsIgnoringCase(vendor, family.vendor);
        for (std::u16string_view fragment : family.fragments)
            if (!fragment.empty() && (Contains(name, fragment) || Contains(core, fragment)))
                match = true;
        if (match) {
            record.*family.flag = 1;
            break;
        }
    }
    return record;
}

}  // namespace zk
