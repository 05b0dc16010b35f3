#include "emulator/ce/profile_reader.h"

#include <cwchar>

#include "emulator/ce/emulated_device_profile.h"

namespace zk::ce {

void ProfileText(const wchar_t* value, const wchar_t* fallback, WCHAR* text, std::size_t capacity) {
    if (capacity == 0) return;
    WCHAR buffer[PROFILE_TEXT_UNITS + 1] = {};
    DWORD type = 0;
    DWORD size = PROFILE_TEXT_UNITS * sizeof(WCHAR);
    const WCHAR* source = fallback;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, EMULATED_DEVICE_KEY, value, RRF_RT_ANY, &type, buffer,
                     &size) == ERROR_SUCCESS &&
        type == REG_SZ)
        source = buffer;
    std::size_t n = 0;
    while (n < PROFILE_TEXT_UNITS && n < capacity - 1 && source[n]) ++n;
    wmemcpy(text, source, n);
    wmemset(text + n, L'\0', capacity - n);
}

DWORD ProfileNumber(const wchar_t* value, DWORD fallback) {
    DWORD data = 0;
    DWORD type = 0;
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, EMULATED_DEVICE_KEY, value, RRF_RT_ANY, &type, &data,
                     &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data)
        return fallback;
    return data;
}

bool ProfileFails(const wchar_t* call) {
    WCHAR list[PROFILE_TEXT_UNITS + 1];
    ProfileText(L"Fail", L"", list, PROFILE_TEXT_UNITS + 1);
    std::size_t wanted = wcslen(call);
    // Names are separated by commas; spaces around them do not count.
    for (const WCHAR* at = list; *at;) {
        while (*at == L' ' || *at == L',') ++at;
        const WCHAR* end = at;
        while (*end && *end != L',') ++end;
        const WCHAR* last = end;
        while (last > at && last[-1] == L' ') --last;
        if (static_cast<std::size_t>(last - at) == wanted && wanted &&
            wmemcmp(at, call, wanted) == 0)
            return true;
        at = end;
    }
    return false;
}

}  // namespace zk::ce
