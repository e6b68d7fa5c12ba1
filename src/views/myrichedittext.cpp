// CMyRichEdit: the text in and out with CR line ends, the stand-ins for characters the control would
// break lines at, the display cuts with the positions they shift, and find across them.
#include "views/myrichedit.h"

#include "document/displaycuts.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <array>
#include <vector>

namespace {

// The character-format property of a separator that is a display cut.
constexpr int kDisplayCutProperty = QTextFormat::UserProperty + 0x2C;

const QTextCharFormat& CutFormat()
{
    static const QTextCharFormat format = [] {
        QTextCharFormat f;
        f.setProperty(kDisplayCutProperty, true);
        return f;
    }();
    return format;
}

// Whether the separator before `block` is a display cut: a block's character format is that of the
// separator before it.
bool FollowsCut(const QTextBlock& block)
{
    return block.position() > 0 && block.charFormat().hasProperty(kDisplayCutProperty);
}

// Removes the units at `positions` (ascending, relative to the text's start) in place.
void DropUnits(QString& text, const std::vector<std::int32_t>& positions, std::int32_t base)
{
    if (positions.empty())
        return;
    QChar* data = text.data();
    qsizetype out = 0;
    std::size_t next = 0;
    for (qsizetype in = 0; in < text.size(); ++in) {
        while (next < positions.size() && positions[next] - base < in)
            ++next;
        if (next < positions.size() && positions[next] - base == in)
            continue;
        data[out++] = data[in];
    }
    text.truncate(out);
}

// Characters the control turns into block separators: the paragraph separator and the two frame marks.
constexpr std::array<char16_t, 3> kBlockBreakers{u'\x2029', u'\xFDD0', u'\xFDD1'};

bool IsBlockBreaker(char16_t c)
{
    return c == kBlockBreakers[0] || c == kBlockBreakers[1] || c == kBlockBreakers[2];
}

// Three characters the text does not hold, from the spare noncharacters and then the private use area.
std::array<char16_t, 3> PickStandIns(const QString& text)
{
    std::vector<bool> used(0x10000, false);
    for (const QChar c : text)
        used[c.unicode()] = true;
    std::array<char16_t, 3> picked{};
    std::size_t n = 0;
    const auto take = [&](char16_t first, char16_t last) {
        for (char32_t c = first; c <= last && n < picked.size(); ++c) {
            if (!used[c])
                picked[n++] = static_cast<char16_t>(c);
        }
    };
    take(u'\xFDD2', u'\xFDEF');
    take(u'\xE000', u'\xF8FF');
    return picked; // 0 where even all 6430 candidates occur: that character then becomes a line break
}

void Substitute(QString& text, const std::array<char16_t, 3>& from, const std::array<char16_t, 3>& to)
{
    char16_t* p = reinterpret_cast<char16_t*>(text.data());
    for (char16_t* end = p + text.size(); p != end; ++p) {
        for (std::size_t i = 0; i < from.size(); ++i) {
            if (*p == from[i] && from[i] != 0 && to[i] != 0) {
                *p = to[i];
                break;
            }
        }
    }
}

} // namespace

void CMyRichEdit::LoadText(const char16_t* text, std::int32_t length)
{
    QTextDocument* doc = document();
    // Without undo while loading: the history starts empty and nothing is kept twice.
    doc->setUndoRedoEnabled(false);
    doc->clear();
    m_standIns.reset();
    m_mayHaveCuts = false;
    m_cuts.clear();
    m_cutsValid = true;
    if (text && length > 0) {
        QTextCursor cursor(doc);
        QString content = QString::fromRawData(reinterpret_cast<const QChar*>(text), length);
        // Those would become line breaks: each is held as a character of its own and given back on
        // the way out, one unit for one, so offsets stay the book's.
        if (std::any_of(text, text + length, IsBlockBreaker)) {
            content.detach();
            m_standIns = PickStandIns(content);
            Substitute(content, kBlockBreakers, *m_standIns);
        }
        cursor.beginEditBlock();
        InsertPieces(cursor, reinterpret_cast<const char16_t*>(content.constData()),
                     static_cast<std::int32_t>(content.size()));
        cursor.endEditBlock();
    }
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    QTextCursor start(doc);
    setTextCursor(start);
    verticalScrollBar()->setValue(0);
}

QString CMyRichEdit::TextWithCrs() const
{
    QString text = document()->toRawText();
    // Block separators back to the book's CR; nothing else is touched (toPlainText would turn
    // no-break spaces into spaces).
    char16_t* p = reinterpret_cast<char16_t*>(text.data());
    for (char16_t* end = p + text.size(); p != end; ++p) {
        if (*p == u'\x2029')
            *p = u'\r';
    }
    if (m_standIns)
        Substitute(text, *m_standIns, kBlockBreakers);
    DropUnits(text, DisplayCutPositions(), 0);
    return text;
}

QString CMyRichEdit::SelectedTextWithCrs(const QTextCursor& cursor) const
{
    QString text = cursor.selectedText();
    const std::int32_t start = cursor.selectionStart();
    const std::vector<std::int32_t>& cuts = DisplayCutPositions();
    const auto first = std::lower_bound(cuts.begin(), cuts.end(), start);
    const auto last = std::lower_bound(first, cuts.end(), cursor.selectionEnd());
    DropUnits(text, std::vector<std::int32_t>(first, last), start);
    // Stand-ins stay: the text is for putting back into the control.
    text.replace(QChar::ParagraphSeparator, u'\r');
    return text;
}

void CMyRichEdit::InsertPieces(QTextCursor& cursor, const char16_t* text, std::int32_t length)
{
    // CR starts a new block; a display cut is a separator of its own format. The text between takes
    // the plain format, whatever the character before the cursor has.
    const QTextCharFormat plain;
    std::int32_t start = 0;
    for (const std::int32_t cut : DisplayCuts(text, length)) {
        cursor.insertText(QString::fromRawData(reinterpret_cast<const QChar*>(text + start), cut - start),
                          plain);
        cursor.insertBlock(cursor.blockFormat(), CutFormat());
        m_mayHaveCuts = true;
        start = cut;
    }
    cursor.insertText(QString::fromRawData(reinterpret_cast<const QChar*>(text + start), length - start),
                      plain);
}

void CMyRichEdit::InsertBookText(QTextCursor& cursor, const QString& text)
{
    cursor.beginEditBlock();
    InsertPieces(cursor, reinterpret_cast<const char16_t*>(text.constData()),
                 static_cast<std::int32_t>(text.size()));
    cursor.endEditBlock();
}

const std::vector<std::int32_t>& CMyRichEdit::DisplayCutPositions() const
{
    if (!m_mayHaveCuts) {
        m_cuts.clear();
        return m_cuts;
    }
    if (!m_cutsValid) {
        m_cuts.clear();
        for (QTextBlock block = document()->begin().next(); block.isValid(); block = block.next()) {
            if (FollowsCut(block))
                m_cuts.push_back(block.position() - 1);
        }
        m_cutsValid = true;
    }
    return m_cuts;
}

std::int32_t CMyRichEdit::BookOffset(std::int32_t position) const
{
    const std::vector<std::int32_t>& cuts = DisplayCutPositions();
    const auto before = std::lower_bound(cuts.begin(), cuts.end(), position) - cuts.begin();
    return position - static_cast<std::int32_t>(before);
}

std::int32_t CMyRichEdit::ControlPosition(std::int32_t offset) const
{
    // Cut i stands at book offset cuts[i] - i; the character at `offset` lies after every cut at or
    // before it.
    const std::vector<std::int32_t>& cuts = DisplayCutPositions();
    std::size_t lo = 0;
    std::size_t hi = cuts.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (cuts[mid] - static_cast<std::int32_t>(mid) <= offset)
            lo = mid + 1;
        else
            hi = mid;
    }
    return std::clamp(offset + static_cast<std::int32_t>(lo), 0, TextLength());
}

QTextCursor CMyRichEdit::Find(const QString& what, std::int32_t from, QTextDocument::FindFlags flags) const
{
    const QTextDocument* doc = document();
    const bool backward = flags.testFlag(QTextDocument::FindBackward);
    const Qt::CaseSensitivity cs =
        flags.testFlag(QTextDocument::FindCaseSensitively) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype n = what.size();
    if (n == 0)
        return {};
    // As the document's own find: a backward search leaves out the character at `from`.
    std::int32_t pos = std::clamp(from, 0, TextLength());
    if (backward && --pos < 0)
        return {};
    const auto runStart = [](QTextBlock b) {
        while (b.isValid() && FollowsCut(b))
            b = b.previous();
        return b;
    };
    struct Piece
    {
        std::int32_t position; // in the control
        qsizetype index;       // in the run's text
    };
    std::vector<Piece> pieces;
    QString text;
    bool first = true;
    for (QTextBlock block = runStart(doc->findBlock(pos)); block.isValid();) {
        // A run: the blocks joined by display cuts, searched as the one paragraph they are.
        pieces.clear();
        text.clear();
        QTextBlock b = block;
        do {
            pieces.push_back({static_cast<std::int32_t>(b.position()), text.size()});
            text += b.text();
            b = b.next();
        } while (b.isValid() && FollowsCut(b));
        text.replace(QChar::Nbsp, u' ');
        const auto toIndex = [&](std::int32_t p) {
            auto it = std::upper_bound(pieces.begin(), pieces.end(), p,
                                       [](std::int32_t v, const Piece& piece) { return v < piece.position; });
            --it;
            return std::min(text.size(), it->index + (p - it->position));
        };
        const auto toPosition = [&](qsizetype index, bool end) {
            auto it =
                std::upper_bound(pieces.begin(), pieces.end(), index, [end](qsizetype v, const Piece& piece) {
                    return end ? v <= piece.index : v < piece.index;
                });
            if (it != pieces.begin())
                --it;
            return static_cast<int>(it->position + (index - it->index));
        };
        qsizetype offset = backward ? (first ? toIndex(pos) : text.size() - 1) : (first ? toIndex(pos) : 0);
        first = false;
        while (offset >= 0 && offset <= text.size()) {
            const qsizetype idx =
                backward ? text.lastIndexOf(what, offset, cs) : text.indexOf(what, offset, cs);
            if (idx < 0)
                break;
            if (flags.testFlag(QTextDocument::FindWholeWords)) {
                const qsizetype end = idx + n;
                if ((idx > 0 && text.at(idx - 1).isLetterOrNumber()) ||
                    (end < text.size() && text.at(end).isLetterOrNumber())) {
                    offset = backward ? idx - 1 : idx + 1;
                    continue;
                }
            }
            QTextCursor hit(const_cast<QTextDocument*>(doc));
            hit.setPosition(toPosition(idx, false));
            hit.setPosition(toPosition(idx + n, true), QTextCursor::KeepAnchor);
            return hit;
        }
        block = backward ? runStart(block.previous()) : b;
    }
    return {};
}

std::int32_t CMyRichEdit::TextLength() const
{
    return std::max(0, document()->characterCount() - 1);
}

bool CMyRichEdit::DeleteAcrossCut(bool backward)
{
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection())
        return false;
    const QTextBlock block = cursor.block();
    const bool atCut = backward ? cursor.positionInBlock() == 0 && FollowsCut(block)
                                : cursor.atBlockEnd() && block.next().isValid() && FollowsCut(block.next());
    if (!atCut)
        return false;
    // Step over the cut and take the book's character on the other side of it.
    const int p = backward ? cursor.position() - 1 : cursor.position() + 1;
    cursor.setPosition(p);
    if (backward ? cursor.atBlockStart() && cursor.position() == 0 : cursor.atEnd())
        return true;
    if (backward)
        cursor.deletePreviousChar();
    else
        cursor.deleteChar();
    setTextCursor(cursor);
    return true;
}
