// CCoolMenuManager: gives the frame's menu commands the toolbar's icons, normal and disabled.
#pragma once

#include "ui/toolbarresource.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <span>

class QAction;
class QWidget;

// Watches a frame's actions (those it has and those added later) and sets the icon of every
// command that has a toolbar image: a normal image flattened onto the menu colour and a gray,
// washed-out one for the disabled state.
class CCoolMenuManager : public QObject
{
    Q_OBJECT
public:
    explicit CCoolMenuManager(QObject* parent = nullptr);

    void AttachToFrame(QWidget* frame);
    // Loads the images of a toolbar resource from an embedded bitmap. The first call fixes the icon
    // size (the larger of the button's width and height); a later call with another size fails.
    bool LoadMenuIcons(std::span<const ToolbarResourceItem> items, int buttonWidth, int buttonHeight,
                       int bitmapId);

    int IconSize() const { return m_iconSize; }
    // -1 when the command has no image.
    int ImageIndex(int commandId) const { return m_imageOf.value(commandId, -1); }
    const QList<QPixmap>& NormalImages() const { return m_normal; }
    const QList<QPixmap>& DisabledImages() const { return m_disabled; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Loaded
    {
        std::span<const ToolbarResourceItem> items;
        int bitmapId;
    };
    bool AddImages(std::span<const ToolbarResourceItem> items, int bitmapId);
    void ApplyIcon(QAction* action) const;
    void ApplyIcons() const;
    void Reload();

    QPointer<QWidget> m_frame;
    int m_iconSize = 0;
    QHash<int, int> m_imageOf;
    QList<QPixmap> m_normal;
    QList<QPixmap> m_disabled;
    QList<Loaded> m_loaded;
};
