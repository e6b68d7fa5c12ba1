// What the edit control's text files share: the mark of a display cut and dropping units from a text.
#pragma once

#include <QTextBlock>
#include <QTextFormat>
#include <cstdint>
#include <vector>

class QString;

namespace myrichedit {

// The character-format property of a separator that is a display cut.
inline constexpr int kDisplayCutProperty = QTextFormat::UserProperty + 0x2C;

// Whether the separator before `block` is a display cut: a block's character format is that of the
// separator before it.
inline bool FollowsCut(const QTextBlock& block)
{
    return block.position() > 0 && block.charFormat().hasProperty(kDisplayCutProperty);
}

// Removes the units at `positions` (ascending, relative to the text's start) in place.
void DropUnits(QString& text, const std::vector<std::int32_t>& positions, std::int32_t base);

} // namespace myrichedit
