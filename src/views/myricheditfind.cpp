// CMyRichEdit: find over the text as the book has it, matches lying across display cuts included.
#include "views/myrichedit.h"

#include "views/myrichedit_p.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <vector>

using myrichedit::DropUnits;
using myrichedit::FollowsCut;

namespace {

// How far find looks block by block before it takes the whole text at once: reading a block is cheap,
// but a book of 360,000 short lines read that way takes longer than one copy of all its text.
constexpr std::int32_t kNearSearchUnits = 128 * 1024;

bool IsWordEdge(const QString& text, qsizetype index, qsizetype n)
{
    const qsizetype end = index + n;
    return !(index > 0 && text.at(index - 1).isLetterOrNumber()) &&
           !(end < text.size() && text.at(end).isLetterOrNumber());
}

} // namespace

QTextCursor CMyRichEdit::Find(const QString& what, std::int32_t from, QTextDocument::FindFlags flags) const
{
    // Separators are line ends, which no match holds.
    if (what.isEmpty() || what.contains(QChar::ParagraphSeparator) || what.contains(QChar::LineSeparator))
        return {};
    // As the document's own find: a backward search leaves out the character at `from`.
    std::int32_t pos = std::clamp(from, 0, TextLength());
    if (flags.testFlag(QTextDocument::FindBackward) && --pos < 0)
        return {};
    bool searchedAll = false;
    QTextCursor hit = FindNear(what, pos, flags, &searchedAll);
    if (hit.isNull() && !searchedAll)
        hit = FindInWholeText(what, pos, flags);
    return hit;
}

QTextCursor CMyRichEdit::FindNear(const QString& what, std::int32_t pos, QTextDocument::FindFlags flags,
                                  bool* searchedAll) const
{
    const QTextDocument* doc = document();
    const bool backward = flags.testFlag(QTextDocument::FindBackward);
    const Qt::CaseSensitivity cs =
        flags.testFlag(QTextDocument::FindCaseSensitively) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype n = what.size();
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
    std::int64_t budget = kNearSearchUnits;
    *searchedAll = false;
    for (QTextBlock block = runStart(doc->findBlock(pos)); block.isValid();) {
        if (budget < 0)
            return {};
        // A run: the blocks joined by display cuts, searched as the one paragraph they are.
        pieces.clear();
        text.clear();
        QTextBlock b = block;
        do {
            pieces.push_back({static_cast<std::int32_t>(b.position()), text.size()});
            text += b.text();
            b = b.next();
        } while (b.isValid() && FollowsCut(b));
        budget -= text.size() + 1;
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
            if (flags.testFlag(QTextDocument::FindWholeWords) && !IsWordEdge(text, idx, n)) {
                offset = backward ? idx - 1 : idx + 1;
                continue;
            }
            QTextCursor hit(const_cast<QTextDocument*>(doc));
            hit.setPosition(toPosition(idx, false));
            hit.setPosition(toPosition(idx + n, true), QTextCursor::KeepAnchor);
            return hit;
        }
        block = backward ? runStart(block.previous()) : b;
    }
    *searchedAll = true;
    return {};
}

QTextCursor CMyRichEdit::FindInWholeText(const QString& what, std::int32_t pos,
                                         QTextDocument::FindFlags flags) const
{
    const bool backward = flags.testFlag(QTextDocument::FindBackward);
    const Qt::CaseSensitivity cs =
        flags.testFlag(QTextDocument::FindCaseSensitively) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype n = what.size();
    // The book's text without the cuts; separators stay, and no match holds one.
    QString text = document()->toRawText();
    const std::vector<std::int32_t>& cuts = DisplayCutPositions();
    DropUnits(text, cuts, 0);
    text.replace(QChar::Nbsp, u' ');
    // Cut k stands before the book's characters from cuts[k] - k on.
    const auto cutsBefore = [&](qsizetype index, bool end) {
        std::size_t lo = 0;
        std::size_t hi = cuts.size();
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            const qsizetype at = cuts[mid] - static_cast<qsizetype>(mid);
            if (end ? at < index : at <= index)
                lo = mid + 1;
            else
                hi = mid;
        }
        return static_cast<std::int32_t>(lo);
    };
    qsizetype offset = std::min<qsizetype>(BookOffset(pos), text.size());
    while (offset >= 0 && offset <= text.size()) {
        const qsizetype idx = backward ? text.lastIndexOf(what, offset, cs) : text.indexOf(what, offset, cs);
        if (idx < 0)
            return {};
        if (flags.testFlag(QTextDocument::FindWholeWords) && !IsWordEdge(text, idx, n)) {
            offset = backward ? idx - 1 : idx + 1;
            continue;
        }
        QTextCursor hit(const_cast<QTextDocument*>(document()));
        hit.setPosition(static_cast<int>(idx) + cutsBefore(idx, false));
        hit.setPosition(static_cast<int>(idx + n) + cutsBefore(idx + n, true), QTextCursor::KeepAnchor);
        return hit;
    }
    return {};
}
