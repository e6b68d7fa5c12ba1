// IniDocument parsing and IniFile's locked, atomic read-modify-write.
#include "settings/inifile.h"

#include "document/codepage.h"
#include "settings/filewrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

char16_t FoldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool SameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i].unicode()) != FoldAscii(b[i].unicode()))
            return false;
    return true;
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView TrimBlanks(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

// The name of a "[name]" line, or nullopt when the line is not a section header.
std::optional<QStringView> HeaderName(const QString& line)
{
    const QStringView t = TrimBlanks(line);
    if (t.isEmpty() || t[0] != u'[')
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return TrimBlanks(t.mid(1, close - 1));
}

} // namespace

QString DecodeIniBytes(const QByteArray& bytes)
{
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const qsizetype n = bytes.size();
    switch (CodePage::MarkOf(b, static_cast<std::size_t>(n))) {
    case CodePage::ByteOrderMark::Utf16Le: {
        // Copied as they are: fromUtf16 would take a second mark for one and byte-swap after FF FE FE FF.
        QString s((n - 2) / 2, Qt::Uninitialized);
        std::memcpy(s.data(), bytes.constData() + 2, static_cast<std::size_t>(s.size()) * 2);
        return s;
    }
    case CodePage::ByteOrderMark::Utf16Be: {
        QString s((n - 2) / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < s.size(); ++i)
            s[i] = QChar(static_cast<char16_t>((b[2 + 2 * i] << 8) | b[3 + 2 * i]));
        return s;
    }
    case CodePage::ByteOrderMark::Utf8:
        return QString::fromUtf8(bytes.constData() + 3, n - 3);
    case CodePage::ByteOrderMark::None:
        break;
    }
    if (CodePage::IsWellFormedUtf8(b, static_cast<std::size_t>(n)))
        return QString::fromUtf8(bytes);
    return CodePage::AnsiToQString(bytes);
}

namespace {

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

bool ContainsLineBreak(const QString& s)
{
    return s.contains(u'\r') || s.contains(u'\n');
}

bool ValidSection(const QString& s)
{
    return !s.isEmpty() && !ContainsLineBreak(s) && !s.contains(u'[') && !s.contains(u']');
}

bool ValidKey(const QString& s)
{
    return !TrimBlanks(s).isEmpty() && !ContainsLineBreak(s) && !s.contains(u'=') && !s.startsWith(u'[');
}

} // namespace

IniDocument IniDocument::FromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    doc.m_lines = SplitLines(DecodeIniBytes(bytes));
    return doc;
}

QByteArray IniDocument::ToBytes() const
{
    QString text;
    qsizetype total = 0;
    for (const QString& l : m_lines)
        total += l.size() + 2;
    text.reserve(total);
    for (const QString& l : m_lines) {
        text.append(l);
        text.append(u"\r\n");
    }
    QByteArray out;
    out.reserve(2 + text.size() * 2);
    out.append('\xFF');
    out.append('\xFE');
    for (QChar c : std::as_const(text)) {
        const char16_t u = c.unicode();
        out.append(static_cast<char>(u & 0xFF));
        out.append(static_cast<char>(u >> 8));
    }
    return out;
}

int IniDocument::FindSection(const QString& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = HeaderName(m_lines[i]);
        if (name && SameName(*name, section))
            return static_cast<int>(i);
    }
    return -1;
}

int IniDocument::SectionEnd(int header) const
{
    for (qsizetype i = header + 1; i < m_lines.size(); ++i)
        if (HeaderName(m_lines[i]))
            return static_cast<int>(i);
    return static_cast<int>(m_lines.size());
}

int IniDocument::FindKey(int header, const QString& key) const
{
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const QString& l = m_lines[i];
        const qsizetype eq = l.indexOf(u'=');
        if (eq < 0)
            continue;
        if (SameName(TrimBlanks(QStringView(l).left(eq)), TrimBlanks(key)))
            return i;
    }
    return -1;
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& key) const
{
    const int h = FindSection(section);
    if (h < 0)
        return std::nullopt;
    const int k = FindKey(h, key);
    if (k < 0)
        return std::nullopt;
    const QString& l = m_lines[k];
    QStringView v = TrimBlanks(QStringView(l).mid(l.indexOf(u'=') + 1));
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v.toString();
}

QStringList IniDocument::SectionNames() const
{
    QStringList names;
    for (const QString& l : m_lines)
        if (const auto name = HeaderName(l))
            names.append(name->toString());
    return names;
}

QStringList IniDocument::Keys(const QString& section) const
{
    QStringList keys;
    const int h = FindSection(section);
    if (h < 0)
        return keys;
    const int end = SectionEnd(h);
    for (int i = h + 1; i < end; ++i) {
        const qsizetype eq = m_lines[i].indexOf(u'=');
        if (eq >= 0)
            keys.append(TrimBlanks(QStringView(m_lines[i]).left(eq)).toString());
    }
    return keys;
}

bool IniDocument::HasSection(const QString& section) const
{
    return FindSection(section) >= 0;
}

bool IniDocument::SetValue(const QString& section, const QString& key, const QString& value)
{
    const QString line = TrimBlanks(key).toString() + u'=' + value;
    int h = FindSection(section);
    if (h < 0) {
        m_lines.append(u'[' + section + u']');
        m_lines.append(line);
        return true;
    }
    const int k = FindKey(h, key);
    if (k >= 0) {
        if (m_lines[k] == line)
            return false;
        m_lines[k] = line;
        return true;
    }
    // After the section's last non-blank line.
    int at = SectionEnd(h);
    while (at - 1 > h && TrimBlanks(m_lines[at - 1]).isEmpty())
        --at;
    m_lines.insert(at, line);
    return true;
}

bool IniDocument::RemoveKey(const QString& section, const QString& key)
{
    const int h = FindSection(section);
    if (h < 0)
        return false;
    // Every copy of the key: removing only the first would bring an older value back.
    bool removed = false;
    for (int k = FindKey(h, key); k >= 0; k = FindKey(h, key)) {
        m_lines.removeAt(k);
        removed = true;
    }
    return removed;
}

bool IniDocument::RemoveSection(const QString& section)
{
    // Every block of that name: a repeated section would otherwise take the removed one's place.
    bool removed = false;
    for (int h = FindSection(section); h >= 0; h = FindSection(section)) {
        const int end = SectionEnd(h);
        m_lines.erase(m_lines.begin() + h, m_lines.begin() + end);
        removed = true;
    }
    return removed;
}

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

IniDocument IniFile::Load() const
{
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    if (f.size() > kMaxFileSize)
        return {};
    return IniDocument::FromBytes(f.readAll());
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    return Load().Value(section, key).value_or(defaultValue);
}

int ParseIntPrefix(QStringView t, bool allowHex)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        negative = t[i] == u'-';
        ++i;
    }
    long long v = 0;
    if (allowHex && i + 1 < t.size() && t[i] == u'0' && (t[i + 1] == u'x' || t[i + 1] == u'X')) {
        i += 2;
        for (; i < t.size(); ++i) {
            const char16_t c = FoldAscii(t[i].unicode());
            const int d = (c >= u'0' && c <= u'9') ? c - u'0' : (c >= u'a' && c <= u'f') ? c - u'a' + 10 : -1;
            if (d < 0)
                break;
            v = (v << 4) | d;
            if (v > 0xFFFFFFFFLL)
                v = 0xFFFFFFFFLL;
        }
        // Negated in unsigned arithmetic: "-0x80000000" is INT_MIN, not an overflow.
        const auto bits = static_cast<unsigned int>(v);
        return static_cast<int>(negative ? 0u - bits : bits);
    }
    for (; i < t.size() && t[i] >= u'0' && t[i] <= u'9'; ++i) {
        v = v * 10 + (t[i].unicode() - u'0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            v = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        v = -v;
    if (v > INT_MAX)
        v = INT_MAX;
    return static_cast<int>(v);
}

int IniFile::ParseInt(const QString& text)
{
    return ParseIntPrefix(TrimBlanks(text), true);
}

int IniFile::ReadInt(const QString& section, const QString& key, int defaultValue) const
{
    const auto v = Load().Value(section, key);
    if (!v)
        return defaultValue;
    return ParseInt(*v);
}

QStringList IniFile::SectionNames() const
{
    return Load().SectionNames();
}

QByteArray IniFile::ReadBinary(const QString& section, const QString& key) const
{
    const auto v = Load().Value(section, key);
    if (!v)
        return {};
    return QByteArray::fromHex(v->toLatin1());
}

namespace {
// Threads of this process queue here rather than polling each other's lock file.
std::mutex g_writeLock;
std::atomic<IniRewriteObserver> g_rewriteObserver{nullptr};
} // namespace

void SetIniRewriteObserver(IniRewriteObserver observer)
{
    g_rewriteObserver = observer;
}

template <typename Work> bool IniFile::Locked(Work work)
{
    std::lock_guard inProcess(g_writeLock);
    // Serialise writers of this file across processes; a stale lock of a dead process is taken over.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(5000);
    const bool ok = work();
    if (locked)
        lock.unlock();
    return ok;
}

template <typename Change> bool IniFile::Modify(Change change)
{
    return Locked([&] { return ModifyLocked(change); });
}

template <typename Change> bool IniFile::ModifyLocked(Change change)
{
    QFileInfo info(m_path);
    if (info.exists() && info.size() > kMaxFileSize)
        return false;
    IniDocument doc;
    QFile f(m_path);
    if (info.exists()) {
        if (!f.open(QIODevice::ReadOnly))
            return false;
        doc = IniDocument::FromBytes(f.readAll());
        f.close();
    }
    if (!change(doc))
        return true;
    return Rewrite(doc.ToBytes());
}

bool IniFile::Rewrite(const QByteArray& bytes)
{
    const bool ok = WriteFileAtomically(m_path, bytes);
    if (const IniRewriteObserver observe = g_rewriteObserver; ok && observe)
        observe(m_path);
    return ok;
}

bool IniFile::MakeUnicode(const QString& section)
{
    // Under the lock and from what the file holds then, so another instance's write is not undone.
    return Locked([&] {
        QByteArray fresh("\xFF\xFE", 2);
        const QString head =
            section.isEmpty() ? QStringLiteral("\r\n") : u'[' + section + QStringLiteral("]\r\n");
        fresh.append(reinterpret_cast<const char*>(head.utf16()), head.size() * 2);
        QFileInfo info(m_path);
        if (!info.exists())
            return Rewrite(fresh);
        QFile f(m_path);
        if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxFileSize)
            return false;
        const QByteArray bytes = f.readAll();
        f.close();
        if (CodePage::MarkOf(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                             static_cast<std::size_t>(bytes.size())) == CodePage::ByteOrderMark::Utf16Le)
            return true;
        if (bytes.isEmpty())
            return Rewrite(fresh);
        // A hand-edited UTF-8 or a UTF-16BE file is converted from what it is, not taken for ANSI.
        const QString text = DecodeIniBytes(bytes);
        if (text.isEmpty())
            return true;
        QByteArray out("\xFF\xFE", 2);
        out.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        return Rewrite(out);
    });
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    if (!ValidSection(section) || !ValidKey(key) || ContainsLineBreak(value))
        return false;
    return Modify([&](IniDocument& d) { return d.SetValue(section, key, value); });
}

bool IniFile::WriteStrings(const QString& section, const std::vector<std::pair<QString, QString>>& entries)
{
    if (!ValidSection(section))
        return false;
    for (const auto& [key, value] : entries)
        if (!ValidKey(key) || ContainsLineBreak(value))
            return false;
    return Modify([&](IniDocument& d) {
        bool changed = false;
        for (const auto& [key, value] : entries)
            changed = d.SetValue(section, key, value) || changed;
        return changed;
    });
}

bool IniFile::WriteBinary(const QString& section, const QString& key, const QByteArray& value)
{
    return WriteString(section, key, QString::fromLatin1(value.toHex()));
}

bool IniFile::DeleteKey(const QString& section, const QString& key)
{
    if (!ValidSection(section) || !ValidKey(key))
        return false;
    return Modify([&](IniDocument& d) { return d.RemoveKey(section, key); });
}

bool IniFile::DeleteSection(const QString& section)
{
    if (!ValidSection(section))
        return false;
    return Modify([&](IniDocument& d) { return d.RemoveSection(section); });
}

namespace {

bool WriteAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t w = ::write(fd, data, static_cast<size_t>(std::min<qint64>(size, 1 << 30)));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += w;
        size -= w;
    }
    return true;
}

void SyncFolder(const QByteArray& folder)
{
    const int dfd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    // Write through symlinks (chains too) to the final target, so every link stays a link.
    QFileInfo info(path);
    for (int hops = 0; info.isSymLink(); ++hops) {
        const QString target = info.symLinkTarget();
        if (target.isEmpty() || hops == 40)
            return false;
        info = QFileInfo(target);
    }
    if (info.exists() && !info.isFile())
        return false;
    const QString folder = info.absolutePath();
    const QByteArray folderBytes = QFile::encodeName(folder);

    mode_t mode = 0644;
    struct stat st;
    const QByteArray targetBytes = QFile::encodeName(info.absoluteFilePath());
    const bool existed = ::stat(targetBytes.constData(), &st) == 0;
    if (existed)
        mode = st.st_mode & 07777;
    else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    // A short name of our own: long book names would not leave room for a longer suffix.
    QByteArray tempBytes;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        const QString name = TempFileName(QRandomGenerator::global()->generate());
        tempBytes = QFile::encodeName(folder + u'/' + name);
        fd = ::open(tempBytes.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, bytes.constData(), bytes.size());
    if (ok) {
        ::fchmod(fd, mode);
        if (existed && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
            [[maybe_unused]] const int r = ::fchown(fd, st.st_uid, st.st_gid);
        }
        ok = ::fsync(fd) == 0;
    }
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(tempBytes.constData(), targetBytes.constData()) == 0;
    if (!ok) {
        ::unlink(tempBytes.constData());
        return false;
    }
    SyncFolder(folderBytes);
    RemoveStaleTempFiles(folder);
    return true;
}
