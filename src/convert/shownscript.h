// The script books are shown in: the reader's current choice, for everything that puts the book's
// text on the screen (pages, chapter titles, search context).
#pragma once

#include "convert/scriptconverter.h"
#include "convert/shownpages.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

// Nothing here changes an offset: every shown text has the length of the book's text it stands for.
class ShownScript
{
public:
    static ShownScript& Instance();

    // The chosen conversion and its loaded converter (null while it loads, for None, or when it could
    // not be loaded: the text is then shown as it is).
    void Set(ConvertConfig config, std::shared_ptr<ScriptConverter> converter);
    ConvertConfig Config() const;
    std::shared_ptr<ScriptConverter> Converter() const;
    // Changes with every Set, so shown texts know when to be made again.
    std::uint64_t Generation() const { return m_generation.load(std::memory_order_acquire); }

    // text[begin, end) as shown, through the kept pages; empty when shown as it is.
    std::u16string Page(std::u16string_view text, std::size_t begin, std::size_t end);
    void Prefetch(std::u16string_view text, std::span<const ShownPages::Range> ranges);
    // A short text on its own (a title, a line of search context), as shown.
    std::u16string Short(std::u16string_view text) const;

    ShownPages& Pages() { return m_pages; }

private:
    ShownScript() = default;

    mutable std::mutex m_lock;
    ConvertConfig m_config = ConvertConfig::None;
    std::shared_ptr<ScriptConverter> m_converter;
    std::atomic<std::uint64_t> m_generation{0};
    ShownPages m_pages;
};
