// CMyRichEdit: find over the text as the book has it, matches lying across display cuts included.
#include "views/myrichedit.h"

#include "views/myrichedit_p.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <vector>

using myrichedit::FollowsCut;

namespace {

// A stretch of a run's text and where its pieces stand in the control.
class SearchWindow
{
public:
    const QString& Text() const { return m_text; }
    qsizetype Size() const { return m_text.size(); }
    void Clear()
    {
        m_text.clear();
        m_pieces.clear();
    }
    void Append(std::int32_t position, QStringView text)
    {
        m_pieces.push_back({position, m_text.size()});
        m_text += text;
    }
    void Prepend(std::int32_t position, QStringView text)
    {
        for (Piece& p : m_pieces)
            p.index += text.size();
        m_pieces.insert(m_pieces.begin(), {position, 0});
        m_text.prepend(text);
    }
    void KeepLast(qsizetype keep)
    {
        const qsizetype drop = std::max<qsizetype>(0, m_text.size() - std::max<qsizetype>(0, keep));
        m_text.remove(0, drop);
        std::vector<Piece> kept;
        for (std::size_t i = 0; i < m_pieces.size(); ++i) {
            const qsizetype end = i + 1 < m_pieces.size() ? m_pieces[i + 1].index : drop + m_text.size();
            if (end <= drop)
                continue;
            const qsizetype cut = std::max<qsizetype>(0, drop - m_pieces[i].index);
            kept.push_back(
                {m_pieces[i].position + static_cast<std::int32_t>(cut), m_pieces[i].index + cut - drop});
        }
        m_pieces = std::move(kept);
    }
    void KeepFirst(qsizetype keep)
    {
        m_text.truncate(std::max<qsizetype>(0, keep));
        while (!m_pieces.empty() && m_pieces.back().index >= m_text.size() && m_pieces.size() > 1)
            m_pieces.pop_back();
    }
    void NoBreakSpacesAsSpaces() { m_text.replace(QChar::Nbsp, u' '); }
    // Control positions of a match's first character and of the end after its last one: a match ending
    // where a piece ends ends before the cut.
    int StartPosition(qsizetype index) const
    {
        auto it = std::upper_bound(m_pieces.begin(), m_pieces.end(), index,
                                   [](qsizetype v, const Piece& p) { return v < p.index; });
        --it;
        return static_cast<int>(it->position + (index - it->index));
    }
    int EndPosition(qsizetype index) const
    {
        auto it = std::lower_bound(m_pieces.begin(), m_pieces.end(), index,
                                   [](const Piece& p, qsizetype v) { return p.index < v; });
        if (it != m_pieces.begin())
            --it;
        return static_cast<int>(it->position + (index - it->index));
    }

private:
    struct Piece
    {
        std::int32_t position; // in the control
        qsizetype index;       // in the window
    };
    QString m_text;
    std::vector<Piece> m_pieces;
};

// Case matters only for letters that have it: a word of Chinese is searched as it is, which is faster.
Qt::CaseSensitivity CaseOf(const QString& what, QTextDocument::FindFlags flags)
{
    if (flags.testFlag(QTextDocument::FindCaseSensitively))
        return Qt::CaseSensitive;
    const bool caseless = std::all_of(what.cbegin(), what.cend(), [](QChar c) {
        return !c.isSurrogate() && (!c.isLetter() || c.category() == QChar::Letter_Other);
    });
    return caseless ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

} // namespace

QTextCursor CMyRichEdit::Find(const QString& what, std::int32_t from, QTextDocument::FindFlags flags) const
{
    // Separators are line ends, which no match holds; no-break spaces are searched as spaces.
    if (what.isEmpty() || what.contains(QChar::ParagraphSeparator) || what.contains(QChar::LineSeparator) ||
        what.contains(QChar::Nbsp))
        return {};
    // As the document's own find: a backward search leaves out the character at `from`.
    std::int32_t pos = std::clamp(from, 0, TextLength());
    const bool backward = flags.testFlag(QTextDocument::FindBackward);
    if (backward && --pos < 0)
        return {};
    const Qt::CaseSensitivity cs = CaseOf(what, flags);
    const qsizetype n = what.size();
    const bool spaces = what.contains(u' ');
    const QTextDocument* doc = document();
    // The text of one block at a time, with as much of its run's neighbour (the blocks a display cut
    // joins it to) as a match across the cut needs.
    SearchWindow window;
    QTextBlock block = doc->findBlock(pos);
    if (!backward) {
        window.Append(pos, QStringView(block.text()).mid(pos - block.position()));
    } else {
        window.Append(block.position(), block.text());
        for (QTextBlock b = block.next();
             window.Size() < pos - block.position() + n && b.isValid() && FollowsCut(b); b = b.next())
            window.Append(b.position(), QStringView(b.text()).left(n));
    }
    qsizetype last = pos - block.position(); // the last start a backward match may have
    while (true) {
        if (spaces)
            window.NoBreakSpacesAsSpaces();
        for (qsizetype at = backward ? last : 0; !backward || at >= 0;) {
            const qsizetype idx =
                backward ? window.Text().lastIndexOf(what, at, cs) : window.Text().indexOf(what, at, cs);
            if (idx < 0)
                break;
            const int start = window.StartPosition(idx);
            const int end = window.EndPosition(idx + n);
            if (flags.testFlag(QTextDocument::FindWholeWords) && !IsWordEdgeAt(start, end)) {
                at = backward ? idx - 1 : idx + 1;
                continue;
            }
            QTextCursor hit(const_cast<QTextDocument*>(doc));
            hit.setPosition(start);
            hit.setPosition(end, QTextCursor::KeepAnchor);
            return hit;
        }
        // No match holds a whole kept part (it is shorter than one), so the next search sees only new
        // matches.
        if (!backward) {
            block = block.next();
            if (!block.isValid())
                return {};
            if (FollowsCut(block))
                window.KeepLast(n - 1);
            else
                window.Clear();
            window.Append(block.position(), block.text());
        } else {
            const bool joined = FollowsCut(block);
            block = block.previous();
            if (!block.isValid())
                return {};
            if (joined)
                window.KeepFirst(n - 1);
            else
                window.Clear();
            window.Prepend(block.position(), block.text());
            last = window.Size() - 1;
        }
    }
}

bool CMyRichEdit::IsWordEdgeAt(std::int32_t start, std::int32_t end) const
{
    // The book's characters either side, past a display cut.
    const std::vector<std::int32_t>& cuts = DisplayCutPositions();
    const auto isCut = [&cuts](std::int32_t p) { return std::binary_search(cuts.begin(), cuts.end(), p); };
    const QTextDocument* doc = document();
    std::int32_t before = start - 1;
    if (before >= 0 && isCut(before))
        --before;
    std::int32_t after = end;
    if (isCut(after))
        ++after;
    const bool letterBefore = before >= 0 && doc->characterAt(before).isLetterOrNumber();
    const bool letterAfter = after < TextLength() && doc->characterAt(after).isLetterOrNumber();
    return !letterBefore && !letterAfter;
}
