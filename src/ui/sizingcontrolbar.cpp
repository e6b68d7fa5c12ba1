// CSizingControlBar: three remembered sizes, put back on every change of docking state.
#include "ui/sizingcontrolbar.h"

#include "settings/inifile.h"
#include "settings/profile.h"

#include <QMainWindow>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace {

QSize AtLeast(QSize size, QSize minimum)
{
    return {std::max(size.width(), minimum.width()), std::max(size.height(), minimum.height())};
}

// A stored value counts only when it reaches the minimum; otherwise the minimum is used.
int ReadDimension(const IniDocument& doc, const QString& section, const QString& key, int current,
                  int minimum)
{
    const auto text = doc.Value(section, key);
    if (!text)
        return current;
    return std::clamp(IniFile::ParseInt(*text), minimum, CSizingControlBar::kMaxDimension);
}

} // namespace

CSizingControlBar::CSizingControlBar(const QString& title, QWidget* parent, int barId)
    : QDockWidget(title, parent), m_barId(barId)
{
    connect(this, &QDockWidget::dockLocationChanged, this, &CSizingControlBar::BeginTransition);
    connect(this, &QDockWidget::topLevelChanged, this, &CSizingControlBar::BeginTransition);
}

void CSizingControlBar::SetSizeHorz(QSize size)
{
    m_sizeHorz = AtLeast(size, kMinHorz);
}

void CSizingControlBar::SetSizeVert(QSize size)
{
    m_sizeVert = AtLeast(size, kMinVert);
}

void CSizingControlBar::SetSizeFloat(QSize size)
{
    m_sizeFloat = AtLeast(size, kMinFloat);
}

QMainWindow* CSizingControlBar::MainWindow() const
{
    return qobject_cast<QMainWindow*>(parentWidget());
}

CSizingControlBar::DockState CSizingControlBar::CurrentState() const
{
    if (isFloating())
        return DockState::Floating;
    if (QMainWindow* frame = MainWindow()) {
        const Qt::DockWidgetArea area = frame->dockWidgetArea(const_cast<CSizingControlBar*>(this));
        if (area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea)
            return DockState::Horizontal;
    }
    return DockState::Vertical;
}

void CSizingControlBar::ApplyStoredSize()
{
    m_state = CurrentState();
    QMainWindow* frame = MainWindow();
    switch (m_state) {
    case DockState::Floating: {
        QSize size = m_sizeFloat;
        // A size remembered on a larger screen must not put the window's edges out of reach.
        if (QScreen* s = screen())
            size = size.boundedTo(s->availableGeometry().size());
        resize(size);
        break;
    }
    case DockState::Vertical:
        if (frame)
            frame->resizeDocks({this}, {m_sizeVert.width()}, Qt::Horizontal);
        break;
    case DockState::Horizontal:
        if (frame)
            frame->resizeDocks({this}, {m_sizeHorz.height()}, Qt::Vertical);
        break;
    }
}

void CSizingControlBar::BeginTransition()
{
    if (m_settling)
        return;
    m_settling = true;
    // The main window finishes placing the pane first; the size is put back afterwards.
    QTimer::singleShot(0, this, &CSizingControlBar::Settle);
}

void CSizingControlBar::Settle()
{
    ApplyStoredSize();
    OnDockStateChanged(m_state);
    m_settling = false;
}

void CSizingControlBar::resizeEvent(QResizeEvent* event)
{
    QDockWidget::resizeEvent(event);
    if (m_settling || !isVisible() || CurrentState() != m_state)
        return;
    switch (m_state) {
    case DockState::Floating:
        SetSizeFloat(event->size());
        break;
    case DockState::Vertical:
        SetSizeVert(event->size());
        break;
    case DockState::Horizontal:
        SetSizeHorz(event->size());
        break;
    }
}

QString CSizingControlBar::SectionName(const QString& prefix) const
{
    return QStringLiteral("%1-SCBar-%2").arg(prefix).arg(m_barId);
}

void CSizingControlBar::ReadSizes(const IniDocument& doc, const QString& section)
{
    auto read = [&](const char* cx, const char* cy, QSize current, QSize minimum) {
        return QSize(ReadDimension(doc, section, QLatin1String(cx), current.width(), minimum.width()),
                     ReadDimension(doc, section, QLatin1String(cy), current.height(), minimum.height()));
    };
    m_sizeHorz = read("sizeHorzCX", "sizeHorzCY", m_sizeHorz, kMinHorz);
    m_sizeVert = read("sizeVertCX", "sizeVertCY", m_sizeVert, kMinVert);
    m_sizeFloat = read("sizeFloatCX", "sizeFloatCY", m_sizeFloat, kMinFloat);
}

void CSizingControlBar::WriteSizes(IniFile& ini, const QString& section) const
{
    auto write = [&](const char* key, int value) {
        ini.WriteString(section, QLatin1String(key), QString::number(value));
    };
    write("sizeHorzCX", m_sizeHorz.width());
    write("sizeHorzCY", m_sizeHorz.height());
    write("sizeVertCX", m_sizeVert.width());
    write("sizeVertCY", m_sizeVert.height());
    write("sizeFloatCX", m_sizeFloat.width());
    write("sizeFloatCY", m_sizeFloat.height());
}

void CSizingControlBar::LoadPaneState(const QString& prefix)
{
    ReadSizes(IniFile(SettingsFilePath()).Load(), SectionName(prefix));
}

void CSizingControlBar::SavePaneState(const QString& prefix)
{
    IniFile ini(SettingsFilePath());
    WriteSizes(ini, SectionName(prefix));
}
