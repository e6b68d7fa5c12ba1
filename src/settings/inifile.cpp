// IniFile: reading an INI file afresh, and its locked, atomic read-modify-write.
#include "settings/inifile.h"

#include "document/codepage.h"
#include "settings/filewrite.h"
#include "settings/initext_p.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <atomic>
#include <mutex>

using IniText::ContainsLineBreak;
using IniText::ValidKey;
using IniText::ValidSection;

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

int IniFile::ParseInt(const QString& text)
{
    return ParseIntPrefix(IniText::TrimBlanks(text), true);
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
