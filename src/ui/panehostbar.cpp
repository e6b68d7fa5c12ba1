// PaneHostBar: pane mode, saved style and position, and placing the pane where it was.
#include "ui/panehostbar.h"

#include "settings/inifile.h"
#include "settings/profile.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <algorithm>

PaneHostBar::PaneHostBar(QMainWindow* frame, int barId, PaneMode mode)
    : CSizingControlBarG(QString(), frame, barId), m_mode(PaneMode::None)
{
    setObjectName(QStringLiteral("Pane%1").arg(barId));
    setAllowedAreas(Qt::AllDockWidgetAreas);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    SetPaneMode(mode);
}

void PaneHostBar::SetPaneMode(PaneMode mode)
{
    m_mode = mode;
    if (mode != PaneMode::FileList)
        return;
    const QMainWindow* frame = MainWindow();
    const int width = std::max(350, frame ? frame->width() / 3 : 0);
    SetSizeHorz({width, SizeHorz().height()});
    SetSizeVert({width, SizeVert().height()});
    SetSizeFloat({width, SizeFloat().height()});
}

void PaneHostBar::LoadPaneState(const QString& prefix)
{
    const IniDocument doc = IniFile(SettingsFilePath()).Load();
    const QString section = SectionName(prefix);
    ReadSizes(doc, section);
    auto read = [&](const char* key, int current) {
        const auto text = doc.Value(section, QLatin1String(key));
        return text ? IniFile::ParseInt(*text) : current;
    };
    m_style = static_cast<std::uint32_t>(read("style", static_cast<int>(m_style)));
    m_pos = QPoint(read("posx", m_pos.x()), read("posy", m_pos.y()));
}

void PaneHostBar::SavePaneState(const QString& prefix)
{
    if (MainWindow())
        m_pos = CurrentPos();
    IniFile ini(SettingsFilePath());
    const QString section = SectionName(prefix);
    WriteSizes(ini, section);
    ini.WriteString(section, QStringLiteral("style"), QString::number(static_cast<int>(m_style)));
    ini.WriteString(section, QStringLiteral("posx"), QString::number(m_pos.x()));
    ini.WriteString(section, QStringLiteral("posy"), QString::number(m_pos.y()));
}

QPoint PaneHostBar::CurrentPos() const
{
    return isWindow() ? pos() : mapToGlobal(QPoint(0, 0));
}

void PaneHostBar::PlaceAsSaved()
{
    QMainWindow* frame = MainWindow();
    if (!frame)
        return;
    if (m_style & PaneStyle::kFloating) {
        m_style = (m_style & ~PaneStyle::kAlignAny) | PaneStyle::kAlignTop;
        frame->addDockWidget(Qt::TopDockWidgetArea, this);
        setFloating(true);
        // A point the screens no longer show would leave the pane out of reach.
        QPoint at = m_pos;
        if (!QGuiApplication::screenAt(at))
            at = frame->geometry().topLeft() + QPoint(40, 40);
        move(at);
    } else {
        Qt::DockWidgetArea area = Qt::RightDockWidgetArea;
        if (m_pos.y() >= 0) {
            if (m_style & PaneStyle::kAlignTop)
                area = Qt::TopDockWidgetArea;
            else if (m_style & PaneStyle::kAlignLeft)
                area = Qt::LeftDockWidgetArea;
            else if (m_style & PaneStyle::kAlignBottom)
                area = Qt::BottomDockWidgetArea;
        }
        frame->addDockWidget(area, this);
    }
    show();
    Settle();
}

bool PaneHostBar::TakeLaidOutPlace()
{
    QMainWindow* frame = MainWindow();
    if (!frame || !frame->restoreDockWidget(this))
        return false;
    show();
    Settle();
    return true;
}

void PaneHostBar::OnCloseButton()
{
    CSizingControlBarG::OnCloseButton();
    if (const QMainWindow* frame = MainWindow(); frame && frame->centralWidget())
        frame->centralWidget()->setFocus();
}

void PaneHostBar::OnDockStateChanged(DockState state)
{
    CSizingControlBarG::OnDockStateChanged(state);
    m_style &= ~(PaneStyle::kFloating | PaneStyle::kAlignAny);
    if (state == DockState::Floating) {
        m_style |= PaneStyle::kFloating | PaneStyle::kAlignTop;
        return;
    }
    switch (MainWindow() ? MainWindow()->dockWidgetArea(this) : Qt::RightDockWidgetArea) {
    case Qt::LeftDockWidgetArea:
        m_style |= PaneStyle::kAlignLeft;
        break;
    case Qt::TopDockWidgetArea:
        m_style |= PaneStyle::kAlignTop;
        break;
    case Qt::BottomDockWidgetArea:
        m_style |= PaneStyle::kAlignBottom;
        break;
    default:
        m_style |= PaneStyle::kAlignRight;
        break;
    }
}
