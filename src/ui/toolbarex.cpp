// CToolBarEx: button table, layout editing, state block, context menu and customization.
#include "ui/toolbarex.h"

#include "settings/inifile.h"
#include "settings/profile.h"
#include "ui/customizedialog.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QtEndian>
#include <set>

namespace {

const QString kStateSection = QStringLiteral("WindowState");

// Numbers held by living toolbars; a new toolbar takes the lowest free one so a restarted window
// finds its own state again.
std::set<int>& UsedNumbers()
{
    static std::set<int> numbers;
    return numbers;
}

int TakeNumber()
{
    int n = 1;
    while (UsedNumbers().count(n))
        ++n;
    UsedNumbers().insert(n);
    return n;
}

} // namespace

CToolBarEx::CToolBarEx(const QString& title, QWidget* parent)
    : QToolBar(title, parent), m_number(TakeNumber())
{
    setAllowedAreas(Qt::AllToolBarAreas);
    setMovable(true);
    setFloatable(true);
}

CToolBarEx::~CToolBarEx()
{
    UsedNumbers().erase(m_number);
}

QString CToolBarEx::StateKey() const
{
    return QStringLiteral("ToolBarEx%1").arg(m_number);
}

QAction* CToolBarEx::MakeButton(int commandId, const QString& label, QAction* source)
{
    auto* button = new QAction(this);
    button->setData(commandId);
    button->setIconText(label);
    button->setToolTip(label);
    QPointer<QAction> from(source);
    auto sync = [button, from] {
        if (!from)
            return;
        button->setEnabled(from->isEnabled());
        button->setCheckable(from->isCheckable());
        button->setChecked(from->isChecked());
        button->setStatusTip(from->statusTip());
    };
    sync();
    connect(source, &QAction::changed, button, sync);
    connect(button, &QAction::triggered, this, [button, from] {
        if (!from)
            return;
        from->trigger();
        // The command decides the checked state; the button's own toggle does not count.
        if (from)
            button->setChecked(from->isChecked());
    });
    m_buttons.insert(commandId, button);
    return button;
}

bool CToolBarEx::LoadToolBar(std::span<const ToolbarResourceItem> items, ActionLookup lookup,
                             int resourceBitmapId)
{
    m_lookup = std::move(lookup);
    m_resourceBitmapId = resourceBitmapId;
    QList<int> layout;
    int image = 0;
    for (const ToolbarResourceItem& item : items) {
        if (item.commandId == 0) {
            layout.append(0);
            continue;
        }
        const int index = image++;
        QAction* source = m_lookup ? m_lookup(item.commandId) : nullptr;
        if (!source || m_buttons.contains(item.commandId))
            continue;
        m_imageOf.insert(item.commandId, index);
        MakeButton(item.commandId, QString::fromUtf16(item.label), source);
        layout.append(item.commandId);
    }
    m_layout = layout;
    Rebuild();
    return !m_buttons.isEmpty();
}

void CToolBarEx::BuildButtonTable(std::span<const ToolbarButton> extra)
{
    m_table.clear();
    for (int id : std::as_const(m_layout)) {
        ToolbarButton entry;
        if (id == 0) {
            entry.style = ToolbarBits::StyleSeparator;
        } else {
            entry.commandId = id;
            entry.imageIndex = m_imageOf.value(id);
            entry.style = ToolbarBits::StyleAutoSize;
            entry.label = m_buttons.value(id)->iconText();
        }
        m_table.push_back(entry);
    }
    for (const ToolbarButton& e : extra) {
        if (e.commandId != 0 && !m_buttons.contains(e.commandId)) {
            QAction* source = m_lookup ? m_lookup(e.commandId) : nullptr;
            if (!source)
                continue;
            m_imageOf.insert(e.commandId, e.imageIndex);
            MakeButton(e.commandId, e.label, source);
        }
        m_table.push_back(e);
    }
    ChooseTextOption(kTextNone, true);
    ChooseIconOption(kIconSmall, true);
    ChooseTextHeightOption(0, false);
}

void CToolBarEx::MarkDefaultButtons()
{
    for (ToolbarButton& e : m_table)
        e.isDefault = e.commandId == 0 || m_layout.contains(e.commandId);
}

const ToolbarButton* CToolBarEx::TableEntry(int commandId) const
{
    for (const ToolbarButton& e : m_table) {
        if (e.commandId == commandId)
            return &e;
    }
    return nullptr;
}

void CToolBarEx::Relayout()
{
    updateGeometry();
    if (QWidget* frame = parentWidget()) {
        if (QLayout* l = frame->layout())
            l->invalidate();
    }
}

void CToolBarEx::Rebuild()
{
    clear();
    qDeleteAll(m_separators);
    m_separators.clear();
    for (int id : std::as_const(m_layout)) {
        if (id == 0) {
            m_separators.append(addSeparator());
            continue;
        }
        addAction(m_buttons.value(id));
    }
}

void CToolBarEx::SetLayout(const QList<int>& layout)
{
    QList<int> clean;
    for (int id : layout) {
        // A damaged state block must not fill the toolbar with endless separators.
        if (clean.size() >= kMaxButtons)
            break;
        if (id == 0 || (m_buttons.contains(id) && !clean.contains(id)))
            clean.append(id);
    }
    m_layout = clean;
    Rebuild();
    // A changed toolbar gets the current label option on every button.
    ApplyTextToButtons();
    Relayout();
    emit layoutChanged();
}

void CToolBarEx::InsertButton(int position, int commandId)
{
    if (commandId != 0 && (!m_buttons.contains(commandId) || m_layout.contains(commandId)))
        return;
    QList<int> layout = m_layout;
    layout.insert(std::clamp<qsizetype>(position, 0, layout.size()), commandId);
    SetLayout(layout);
}

void CToolBarEx::RemoveButton(int position)
{
    if (position < 0 || position >= m_layout.size())
        return;
    QList<int> layout = m_layout;
    layout.removeAt(position);
    SetLayout(layout);
}

void CToolBarEx::MoveButton(int from, int to)
{
    if (from < 0 || from >= m_layout.size() || to < 0 || to >= m_layout.size() || from == to)
        return;
    QList<int> layout = m_layout;
    layout.move(from, to);
    SetLayout(layout);
}

void CToolBarEx::ResetButtons()
{
    QList<int> layout;
    for (const ToolbarButton& e : m_table) {
        if (e.isDefault)
            layout.append(e.commandId);
    }
    SetLayout(layout);
}

QByteArray CToolBarEx::StateBlock() const
{
    QByteArray block(kOptionBytes + 4 * m_layout.size(), '\0');
    qToLittleEndian<std::int32_t>(m_iconOption, block.data());
    qToLittleEndian<std::int32_t>(m_textOption, block.data() + 4);
    qToLittleEndian<std::int32_t>(m_textHeightOption, block.data() + 8);
    for (qsizetype i = 0; i < m_layout.size(); ++i)
        qToLittleEndian<std::int32_t>(m_layout[i], block.data() + kOptionBytes + 4 * i);
    return block;
}

bool CToolBarEx::ApplyStateBlock(const QByteArray& block)
{
    if (block.size() < kOptionBytes)
        return false;
    const int icon = qFromLittleEndian<std::int32_t>(block.constData());
    const int text = qFromLittleEndian<std::int32_t>(block.constData() + 4);
    const int height = qFromLittleEndian<std::int32_t>(block.constData() + 8);
    QList<int> layout;
    const qsizetype count = (block.size() - kOptionBytes) / 4;
    for (qsizetype i = 0; i < count; ++i)
        layout.append(qFromLittleEndian<std::int32_t>(block.constData() + kOptionBytes + 4 * i));
    SetLayout(layout);
    if (text != m_textOption)
        ChooseTextOption(text, true);
    if (icon != m_iconOption)
        ChooseIconOption(icon, true);
    if (height != m_textHeightOption)
        ChooseTextHeightOption(height, true);
    return true;
}

bool CToolBarEx::LoadToolbarState()
{
    const QByteArray block = IniFile(SettingsFilePath()).ReadBinary(kStateSection, StateKey());
    return !block.isEmpty() && ApplyStateBlock(block);
}

bool CToolBarEx::SaveToolbarState() const
{
    return IniFile(SettingsFilePath()).WriteBinary(kStateSection, StateKey(), StateBlock());
}

void CToolBarEx::Customize()
{
    CCustomizeDialog dialog(this);
    dialog.exec();
    if (dialog.IconOption() != m_iconOption)
        ChooseIconOption(dialog.IconOption(), true);
    SaveToolbarState();
}

QMenu* CToolBarEx::CreateBarsMenu(QWidget* parent)
{
    if (m_layout.isEmpty())
        return nullptr;
    auto* menu = new QMenu(parent);
    QList<QWidget*> bars;
    if (auto* frame = qobject_cast<QMainWindow*>(parentWidget())) {
        const auto toolbars = frame->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly);
        const auto docks = frame->findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly);
        for (QToolBar* t : toolbars)
            bars.append(t);
        for (QDockWidget* d : docks)
            bars.append(d);
    } else {
        bars.append(this);
    }
    for (QWidget* bar : std::as_const(bars)) {
        if (bar->windowTitle().isEmpty())
            continue;
        QAction* a = menu->addAction(bar->windowTitle());
        a->setCheckable(true);
        a->setChecked(bar->isVisible());
        QPointer<QWidget> target(bar);
        connect(a, &QAction::triggered, this, [target] {
            if (target)
                target->setVisible(!target->isVisible());
        });
    }
    menu->addSeparator();
    QAction* customize = menu->addAction(QStringLiteral("自定义工具栏..."));
    customize->setData(kCustomizeCommand);
    // Queued so the menu is gone before the modal dialog starts.
    connect(customize, &QAction::triggered, this,
            [this] { QMetaObject::invokeMethod(this, &CToolBarEx::Customize, Qt::QueuedConnection); });
    return menu;
}

void CToolBarEx::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(CreateBarsMenu(this));
    if (!menu) {
        QToolBar::contextMenuEvent(event);
        return;
    }
    menu->exec(event->globalPos());
    event->accept();
}
