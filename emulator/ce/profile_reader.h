// Reading the emulated device's profile (emulated_device_profile.h). Every
// read goes to the registry: the profile may change while a program runs.
#pragma once

#include <windows.h>

#include <cstddef>

namespace zk::ce {

// Profile texts are at most this many units; a longer one reads as missing.
inline constexpr std::size_t PROFILE_TEXT_UNITS = 128;

// Copies the REG_SZ value into text (capacity units, always terminated and
// zero-filled after the terminator); fallback when missing or not a text.
void ProfileText(const wchar_t* value, const wchar_t* fallback, WCHAR* text, std::size_t capacity);

// The REG_DWORD value, or fallback when missing or not a number.
DWORD ProfileNumber(const wchar_t* value, DWORD fallback);

// Whether the profile's "Fail" list names the call, to play a device whose
// platform cannot answer it.
bool ProfileFails(const wchar_t* call);

}  // namespace zk::ce
