// CMyRichEdit: the text in and out with CR line ends, the stand-ins for characters the control would
// break lines at, the display cuts with the positions they shift, and find across them.
#include "views/myrichedit.h"

#include "document/displaycuts.h"
#include "views/myrichedit_p.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <array>
#include <vector>

using myrichedit::DropUnits;
using myrichedit::FollowsCut;

namespace {

const QTextCharFormat& CutFormat()
{
    static const QTextCharFormat format = [] {
        QTextCharFormat f;
        f.setProperty(myrichedit::kDisplayCutProperty, true);
        return f;
    }();
    return format;
}

// Characters the control would take for line breaks: the paragraph separator, the two frame marks,
// and the line separator that joins the short lines sharing a block.
constexpr CMyRichEdit::StandIns kBlockBreakers{u'\x2029', u'\xFDD0', u'\xFDD1', u'\x2028'};

bool IsBlockBreaker(char16_t c)
{
    return std::find(kBlockBreakers.begin(), kBlockBreakers.end(), c) != kBlockBreakers.end();
}

// Characters the text does not hold, from the spare noncharacters and then the private use area.
CMyRichEdit::StandIns PickStandIns(const QString& text, const QString& other = {})
{
    std::vector<bool> used(0x10000, false);
    for (const QString* t : {&text, &other}) {
        for (const QChar c : *t)
            used[c.unicode()] = true;
    }
    CMyRichEdit::StandIns picked{};
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

void Substitute(QString& text, const CMyRichEdit::StandIns& from, const CMyRichEdit::StandIns& to)
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

// Lines no longer than this share a block with their neighbours, joined by line separators: the
// control keeps a record and a layout for every block, and a book hard-wrapped every 36 characters has
// 300,000 lines.
constexpr std::int32_t kSharedBlockUnits = kDisplayPieceUnits / 2;

// The text with the line ends inside each run of short lines turned into line separators (CR LF into
// one); null when no two lines were joined.
QString JoinShortLines(const char16_t* text, std::int32_t length)
{
    QString out;
    bool joined = false;
    std::int32_t block = 0; // units in the block being built
    const auto lineEnd = [&](std::int32_t from, std::int32_t limit) {
        while (from < length && from < limit && !EndsParagraph(text[from]))
            ++from;
        return from;
    };
    for (std::int32_t i = 0; i < length;) {
        const std::int32_t e = lineEnd(i, length);
        out.append(reinterpret_cast<const QChar*>(text + i), e - i);
        block += e - i;
        if (e == length)
            break;
        std::int32_t next = e + 1;
        if (text[e] == u'\r' && next < length && text[next] == u'\n')
            ++next;
        const bool plainEnd = text[e] == u'\r' || text[e] == u'\n';
        const std::int32_t nextLine = lineEnd(next, next + kSharedBlockUnits + 1) - next;
        if (plainEnd && block + 1 + nextLine <= kSharedBlockUnits) {
            out.append(QChar::LineSeparator);
            ++block;
            joined = true;
        } else {
            out.append(reinterpret_cast<const QChar*>(text + e), next - e);
            block = 0;
        }
        i = next;
    }
    return joined ? out : QString();
}

} // namespace

void myrichedit::DropUnits(QString& text, const std::vector<std::int32_t>& positions, std::int32_t base)
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
        HoldBreakers(content, false);
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
        if (*p == u'\x2029' || *p == u'\x2028')
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
    text.replace(QChar::LineSeparator, u'\r');
    return text;
}

void CMyRichEdit::InsertPieces(QTextCursor& cursor, const char16_t* text, std::int32_t length)
{
    const QString joined = JoinShortLines(text, length);
    if (!joined.isNull()) {
        text = reinterpret_cast<const char16_t*>(joined.constData());
        length = static_cast<std::int32_t>(joined.size());
    }
    const int first = cursor.selectionStart();
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
    if (joined.isNull())
        return;
    // A block not laid out yet counts as one line; one holding joined lines counts as those lines, so
    // the scroll bar and the line numbers stay what they were with a block per line.
    const QTextDocument* doc = document();
    for (QTextBlock b = doc->findBlock(first); b.isValid() && b.position() <= cursor.position();
         b = b.next()) {
        // Asking for the block's layout would make one for every block.
        const auto separators = static_cast<int>(b.text().count(QChar::LineSeparator));
        if (separators > 0)
            b.setLineCount(separators + 1);
    }
}

void CMyRichEdit::HoldBreakers(QString& text, bool keepUndoText)
{
    // Those would become line breaks: each is held as a character of its own and given back on the
    // way out, one unit for one, so offsets stay the book's.
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return IsBlockBreaker(c.unicode()); }))
        return;
    // Stand-ins are chosen once per loaded text; chosen later, they must not be in the text an undo
    // brings back either.
    if (!m_standIns)
        m_standIns = PickStandIns(text, keepUndoText ? document()->toRawText() : QString());
    Substitute(text, kBlockBreakers, *m_standIns);
}

void CMyRichEdit::ReplaceAllText(const QString& text)
{
    QString content = text;
    HoldBreakers(content, true);
    QTextCursor all(document());
    all.beginEditBlock();
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    InsertPieces(all, reinterpret_cast<const char16_t*>(content.constData()),
                 static_cast<std::int32_t>(content.size()));
    all.endEditBlock();
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
