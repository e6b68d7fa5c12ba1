// UTF-16 <-> UTF-8 for the converter's runs, which hold no NUL and no unpaired surrogate.
#pragma once

#include <string>
#include <string_view>

void AppendUtf8(std::u16string_view run, std::string* out);
// Decodes valid UTF-8 (what OpenCC returns for valid input); a broken sequence becomes U+FFFD.
void AppendUtf16(std::string_view utf8, std::u16string* out);
// Number of UTF-16 code units `utf8` decodes to.
std::size_t Utf16Length(std::string_view utf8);
