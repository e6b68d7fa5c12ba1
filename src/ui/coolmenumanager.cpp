// CCoolMenuManager: menu images from the icon strip and their hand-over to the frame's actions.
#include "ui/coolmenumanager.h"

#include "images/cximage.h"
#include "ui/toolbarimages.h"

#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QWidget>

namespace {

QColor MenuColour()
{
    return QApplication::palette("QMenu").color(QPalette::Window);
}

} // namespace

CCoolMenuManager::CCoolMenuManager(QObject* parent) : QObject(parent) {}

void CCoolMenuManager::AttachToFrame(QWidget* frame)
{
    if (m_frame)
        m_frame->removeEventFilter(this);
    m_frame = frame;
    if (!frame)
        return;
    frame->installEventFilter(this);
    ApplyIcons();
}

bool CCoolMenuManager::LoadMenuIcons(std::span<const ToolbarResourceItem> items, int buttonWidth,
                                     int buttonHeight, int bitmapId)
{
    const int size = std::max(buttonWidth, buttonHeight);
    if (size <= 0 || (m_iconSize != 0 && size != m_iconSize))
        return false;
    m_iconSize = size;
    if (!AddImages(items, bitmapId))
        return false;
    m_loaded.append(Loaded{items, bitmapId});
    ApplyIcons();
    return true;
}

bool CCoolMenuManager::AddImages(std::span<const ToolbarResourceItem> items, int bitmapId)
{
    CxImage bitmap;
    if (!bitmap.LoadFromResource(bitmapId) || bitmap.Height() <= 0)
        return false;
    const int count = bitmap.Width() / bitmap.Height();
    const COLORREF menu = ColourRefOf(MenuColour());
    const bool alpha = bitmap.HasAlpha();
    const ToolbarStrip normal = MakeToolbarStrip(bitmap, m_iconSize, count, ToolbarImageKind::Normal, menu);
    if (normal.image.isNull())
        return false;
    const int first = static_cast<int>(m_normal.size());
    m_normal += SplitToolbarStrip(normal, m_iconSize);
    // Only a strip with alpha has its own disabled images; the others get the style's.
    if (alpha) {
        const ToolbarStrip disabled =
            MakeToolbarStrip(bitmap, m_iconSize, count, ToolbarImageKind::Disabled, menu);
        QList<QPixmap> cells = SplitToolbarStrip(disabled, m_iconSize);
        while (m_disabled.size() < first)
            m_disabled.append(QPixmap());
        m_disabled += cells;
    }
    int next = first;
    for (const ToolbarResourceItem& item : items) {
        if (item.commandId == 0)
            continue;
        if (!m_imageOf.contains(item.commandId))
            m_imageOf.insert(item.commandId, next);
        ++next;
    }
    return true;
}

void CCoolMenuManager::ApplyIcon(QAction* action) const
{
    bool ok = false;
    const int id = action->data().toInt(&ok);
    const int index = ok ? m_imageOf.value(id, -1) : -1;
    if (index < 0 || index >= m_normal.size())
        return;
    QIcon icon;
    icon.addPixmap(m_normal[index], QIcon::Normal);
    if (index < m_disabled.size() && !m_disabled[index].isNull())
        icon.addPixmap(m_disabled[index], QIcon::Disabled);
    action->setIcon(icon);
    action->setIconVisibleInMenu(true);
}

void CCoolMenuManager::ApplyIcons() const
{
    if (!m_frame)
        return;
    const QList<QAction*> actions = m_frame->actions();
    for (QAction* a : actions)
        ApplyIcon(a);
}

void CCoolMenuManager::Reload()
{
    m_imageOf.clear();
    m_normal.clear();
    m_disabled.clear();
    for (const Loaded& l : std::as_const(m_loaded))
        AddImages(l.items, l.bitmapId);
    ApplyIcons();
}

bool CCoolMenuManager::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_frame) {
        if (event->type() == QEvent::ActionAdded)
            ApplyIcon(static_cast<QActionEvent*>(event)->action());
        else if (event->type() == QEvent::PaletteChange)
            Reload(); // the images were flattened onto the old menu colour
    }
    return QObject::eventFilter(watched, event);
}
