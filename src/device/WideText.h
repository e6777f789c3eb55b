#pragma once

#include <string>
#include <string_view>

namespace tarnwell {

// hidapi hands strings out as wchar_t: UTF-16 on Windows, UTF-32 elsewhere. Code points above
// 0xFFFF become surrogate pairs; values that are no code point become U+FFFD.
std::u16string utf16FromWide(std::wstring_view wide);

}  // namespace tarnwell
