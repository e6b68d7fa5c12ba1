// CMainFrame: where the window and its bars were left: the placement record and the docking layout.
#include "app/mainframe.h"

#include "settings/inifile.h"
#include "settings/profile.h"

#include <QDockWidget>
#include <QGuiApplication>
#include <QScreen>
#include <QToolBar>
#include <QtEndian>
#include <algorithm>

namespace {

const QString kBarSection = QStringLiteral("BarSec");
constexpr int kBarStateVersion = 1;

// Windows' WINDOWPLACEMENT record, kept as 44 bytes so the stored value stays what it always was.
struct Placement
{
    std::int32_t length = 44;
    std::int32_t flags = 0;
    std::int32_t showCmd = 1;
    std::int32_t minX = -1, minY = -1, maxX = -1, maxY = -1;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;

    QByteArray Bytes() const
    {
        QByteArray b(44, '\0');
        const std::int32_t v[] = {length, flags, showCmd, minX, minY, maxX, maxY, left, top, right, bottom};
        for (int i = 0; i < 11; ++i)
            qToLittleEndian(v[i], b.data() + 4 * i);
        return b;
    }
    static bool FromBytes(const QByteArray& b, Placement& p)
    {
        if (b.size() < 44 || qFromLittleEndian<std::int32_t>(b.constData()) != 44)
            return false;
        std::int32_t v[11];
        for (int i = 0; i < 11; ++i)
            v[i] = qFromLittleEndian<std::int32_t>(b.constData() + 4 * i);
        p = Placement{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]};
        return true;
    }
};

enum
{
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_RESTORE = 9,
    SW_FORCEMINIMIZE = 11
};

} // namespace

void CMainFrame::RestorePlacement()
{
    const QByteArray bytes =
        IniFile(SettingsFilePath())
            .ReadBinary(QStringLiteral("WindowState"), QStringLiteral("WindowPlacement"));
    Placement p;
    if (!Placement::FromBytes(bytes, p)) {
        // Also fill the screen where no window manager honours the maximised state.
        if (QScreen* screen = QGuiApplication::primaryScreen())
            setGeometry(screen->availableGeometry());
        setWindowState(Qt::WindowMaximized);
        return;
    }
    QRect normal(p.left, p.top, p.right - p.left, p.bottom - p.top);
    // Keep the window reachable when the screens changed since.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableVirtualGeometry();
        if (!avail.intersects(normal) || normal.width() < 300 || normal.height() < 400)
            normal = QRect(avail.topLeft() + QPoint(40, 40),
                           QSize(std::min(avail.width() - 80, 1200), std::min(avail.height() - 80, 800)));
    }
    setGeometry(normal);
    switch (p.showCmd) {
    case SW_SHOWMAXIMIZED:
        setWindowState(Qt::WindowMaximized);
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
    case SW_RESTORE:
    default:
        setWindowState(Qt::WindowNoState);
        break;
    }
}

void CMainFrame::SavePlacement()
{
    Placement p;
    const QRect normal = (isMaximized() || isMinimized()) ? normalGeometry() : geometry();
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    p.showCmd = isMinimized() ? SW_SHOWMINIMIZED : isMaximized() ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    IniFile(SettingsFilePath())
        .WriteBinary(QStringLiteral("WindowState"), QStringLiteral("WindowPlacement"), p.Bytes());
}

bool CMainFrame::LoadBarState()
{
    IniFile ini(SettingsFilePath());
    const QByteArray state = ini.ReadBinary(kBarSection, QStringLiteral("State"));
    if (state.isEmpty())
        return false;
    // A layout that names a bar which does not exist now is ignored as a whole.
    const QStringList names =
        ini.ReadString(kBarSection, QStringLiteral("Bars")).split(u',', Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (!m_paneCommands.contains(name) && !findChild<QToolBar*>(name, Qt::FindDirectChildrenOnly) &&
            !findChild<QDockWidget*>(name, Qt::FindDirectChildrenOnly))
            return false;
    }
    return restoreState(state, kBarStateVersion);
}

void CMainFrame::SaveBarState()
{
    QStringList names;
    const auto toolbars = findChildren<QToolBar*>(Qt::FindDirectChildrenOnly);
    for (const QToolBar* t : toolbars)
        names.append(t->objectName());
    QStringList open;
    const auto docks = findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly);
    for (const QDockWidget* d : docks) {
        names.append(d->objectName());
        if (!d->isHidden() && !d->objectName().isEmpty())
            open.append(d->objectName());
    }
    names.removeAll(QString());
    IniFile ini(SettingsFilePath());
    ini.WriteBinary(kBarSection, QStringLiteral("State"), saveState(kBarStateVersion));
    ini.WriteString(kBarSection, QStringLiteral("Bars"), names.join(u','));
    ini.WriteString(kBarSection, QStringLiteral("Open"), open.join(u','));
}

void CMainFrame::ReopenPanes()
{
    const QStringList open = IniFile(SettingsFilePath())
                                 .ReadString(kBarSection, QStringLiteral("Open"))
                                 .split(u',', Qt::SkipEmptyParts);
    for (const QString& name : open) {
        const auto command = m_paneCommands.constFind(name);
        if (command == m_paneCommands.cend())
            continue;
        const auto* dock = findChild<QDockWidget*>(name, Qt::FindDirectChildrenOnly);
        if (!dock || dock->isHidden())
            RouteCommand(*command);
    }
}
