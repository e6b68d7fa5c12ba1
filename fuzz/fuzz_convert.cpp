// Display conversion keeps every unit's place whatever the text: same length, line ends and NULs where
// they were, surrogate halves where they were; a page cut anywhere agrees with the whole view.
#include "convert/scriptconverter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const auto config = static_cast<ConvertConfig>(1 + data[0] % 4);
    const std::size_t cut = data[1] | (data[2] << 8);
    data += 3;
    size -= 3;
    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), data, text.size() * 2);
    const auto converter = ScriptConverter::Get(config);
    if (!converter)
        std::abort();
    const std::u16string all = converter->ConvertForDisplay(text, 0, text.size());
    if (all.size() != text.size())
        std::abort();
    auto surrogate = [](char16_t c) { return c >= 0xD800 && c <= 0xDFFF ? (c >= 0xDC00 ? 2 : 1) : 0; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool fixed = text[i] == 0 || text[i] == u'\r' || text[i] == u'\n';
        if ((fixed && all[i] != text[i]) || surrogate(all[i]) != surrogate(text[i]))
            std::abort();
    }
    // Pages agree with the whole view when a line start is near enough to restart segmentation.
    const std::size_t at = text.empty() ? 0 : cut % (text.size() + 1);
    std::size_t lineStart = at;
    while (lineStart > 0 && text[lineStart - 1] != u'\r' && text[lineStart - 1] != u'\n')
        --lineStart;
    if (at - lineStart <= 1024 &&
        converter->ConvertForDisplay(text, 0, at) + converter->ConvertForDisplay(text, at, text.size() + 5) !=
            all)
        std::abort();
    converter->ConvertWhole(text);
    return 0;
}
