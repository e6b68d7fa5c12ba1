// CToolBarEx: the customizable toolbar with its button table, three display options and saved state.
#pragma once

#include "ui/toolbarimages.h"
#include "ui/toolbarresource.h"

#include <QHash>
#include <QList>
#include <QToolBar>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QAction;
class QMenu;

// Button style bits, as the toolbar control of the original platform stored them.
namespace ToolbarBits {
inline constexpr std::uint8_t StyleSeparator = 0x01;
inline constexpr std::uint8_t StyleAutoSize = 0x10;
inline constexpr std::uint8_t StyleShowText = 0x40;
} // namespace ToolbarBits

// One entry of the button table: a button (or separator) the toolbar can show.
struct ToolbarButton
{
    int imageIndex = 0;
    int commandId = 0; // 0 = separator
    std::uint8_t style = 0;
    QString label;
    bool isDefault = false;
};

// A QToolBar whose buttons stand for the frame's command actions. Each button is an action of the
// toolbar's own that mirrors the command's enabled and checked state and triggers it, so the
// toolbar's icon size and labels never leak into the menus that show the same commands.
class CToolBarEx : public QToolBar
{
    Q_OBJECT
public:
    // Finds the frame's action of a command; null when the frame has none.
    using ActionLookup = std::function<QAction*(int commandId)>;

    static constexpr int kIconSmall = 0, kIconMedium = 1, kIconLarge = 2;
    static constexpr int kTextBelow = 0, kTextRight = 1, kTextNone = 2;
    static constexpr int kTextHeightCount = 5;
    // Bytes of the state block before the button layout.
    static constexpr int kOptionBytes = 12;
    // Command of the context menu's customize entry.
    static constexpr int kCustomizeCommand = 255;
    // Most buttons and separators the toolbar takes.
    static constexpr int kMaxButtons = 256;

    explicit CToolBarEx(const QString& title, QWidget* parent = nullptr);
    ~CToolBarEx() override;

    // Puts the resource's buttons and separators on the toolbar; commands without an action are
    // left out. Image i belongs to the resource's i-th command; `resourceBitmapId` is the
    // resource's own small bitmap, stretched when no icon strip is set.
    bool LoadToolBar(std::span<const ToolbarResourceItem> items, ActionLookup lookup,
                     int resourceBitmapId = 0);
    // Take the images from this embedded bitmap (the 32-bit icon strip) instead of the resource's.
    void SetBitmapResource(int bitmapId) { m_bitmapId = bitmapId; }
    // Reads the toolbar's buttons into the button table (plus `extra` entries, which must have
    // commands the lookup knows), then applies the defaults: no labels, small icons, normal height.
    void BuildButtonTable(std::span<const ToolbarButton> extra = {});
    // Default = on the toolbar now, or a separator.
    void MarkDefaultButtons();

    void ChooseIconOption(int option, bool relayout);
    void ChooseTextOption(int option, bool relayout);
    void ChooseTextHeightOption(int option, bool relayout);
    int IconOption() const { return m_iconOption; }
    int TextOption() const { return m_textOption; }
    int TextHeightOption() const { return m_textHeightOption; }
    static int IconSizeFor(int option);

    // The block under "WindowState"/"ToolBarEx<n>": the three options as little-endian 32-bit
    // integers, then one little-endian 32-bit command id per button on the toolbar (0 = separator).
    QByteArray StateBlock() const;
    // Applies a state block; false (nothing changed) when it is too short. Unknown commands and
    // option values out of range are skipped.
    bool ApplyStateBlock(const QByteArray& block);
    bool LoadToolbarState();
    bool SaveToolbarState() const;
    // "ToolBarEx<n>": n is the lowest number no other living toolbar holds, from 1.
    QString StateKey() const;

    // The modal customization dialog; the state is saved when it closes.
    void Customize();

    const std::vector<ToolbarButton>& ButtonTable() const { return m_table; }
    // Command ids of the buttons on the toolbar, in order; 0 = separator.
    const QList<int>& Layout() const { return m_layout; }
    void SetLayout(const QList<int>& layout);
    void InsertButton(int position, int commandId);
    void RemoveButton(int position);
    void MoveButton(int from, int to);
    // Every default entry in table order.
    void ResetButtons();
    // The toolbar's own action of a command, or null.
    QAction* ButtonAction(int commandId) const { return m_buttons.value(commandId); }
    const ToolbarButton* TableEntry(int commandId) const;
    // The normal image of a table entry at the current icon size (null pixmap when none).
    QPixmap ButtonImage(int imageIndex) const;
    // The image lists of the current icon size, for tests and the dialog.
    const QList<QPixmap>& NormalImages() const { return m_normal; }
    const QList<QPixmap>& HotImages() const { return m_hot; }
    const QList<QPixmap>& DisabledImages() const { return m_disabled; }

    // The bars of the main window, checked when visible, then "自定义工具栏...". Null when the
    // toolbar has no buttons.
    QMenu* CreateBarsMenu(QWidget* parent);
    // The label font for a text height option, from the system's icon-title font.
    static QFont LabelFont(int option);

signals:
    // The buttons or options changed; the customize dialog refreshes its lists.
    void layoutChanged();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool BuildToolbarImageLists(int size);
    void ApplyIcons();
    void ApplyTextToButtons();
    void Rebuild();
    void Relayout();
    QAction* MakeButton(int commandId, const QString& label, QAction* source);

    ActionLookup m_lookup;
    int m_bitmapId = 0;
    int m_number = 0;
    int m_iconOption = -1;
    int m_textOption = -1;
    int m_textHeightOption = -1;
    int m_iconSize = 16;
    std::vector<ToolbarButton> m_table;
    QList<int> m_layout;
    QHash<int, QAction*> m_buttons;
    QHash<int, int> m_imageOf;
    QList<QAction*> m_separators;
    QList<QPixmap> m_normal;
    QList<QPixmap> m_hot;
    QList<QPixmap> m_disabled;
    int m_resourceBitmapId = 0;
};
