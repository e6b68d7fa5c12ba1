#include "convert/shownscript.h"

ShownScript& ShownScript::Instance()
{
    static ShownScript instance;
    return instance;
}

void ShownScript::Set(ConvertConfig config, std::shared_ptr<ScriptConverter> converter)
{
    {
        std::lock_guard guard(m_lock);
        m_config = config;
        m_converter = config == ConvertConfig::None ? nullptr : std::move(converter);
    }
    m_generation.fetch_add(1, std::memory_order_acq_rel);
}

ConvertConfig ShownScript::Config() const
{
    std::lock_guard guard(m_lock);
    return m_config;
}

std::shared_ptr<ScriptConverter> ShownScript::Converter() const
{
    std::lock_guard guard(m_lock);
    return m_converter;
}

std::u16string ShownScript::Page(std::u16string_view text, std::size_t begin, std::size_t end)
{
    const std::shared_ptr<ScriptConverter> converter = Converter();
    return converter ? m_pages.Shown(converter, text, begin, end) : std::u16string();
}

void ShownScript::Prefetch(std::u16string_view text, std::span<const ShownPages::Range> ranges)
{
    if (const std::shared_ptr<ScriptConverter> converter = Converter())
        m_pages.Prefetch(converter, text, ranges);
}

std::u16string ShownScript::Short(std::u16string_view text) const
{
    const std::shared_ptr<ScriptConverter> converter = Converter();
    return converter ? converter->ConvertForDisplay(text, 0, text.size()) : std::u16string(text);
}
