// CCustomizeDialog: available and current button lists, their buttons and the options panel.
#include "ui/customizedialog.h"

#include "ui/toolbarex.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

const QString kSeparatorText = QStringLiteral("分隔符");

QComboBox* MakeList(QWidget* parent, int id, const QStringList& texts, int current)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QStringLiteral("OptionList%1").arg(id));
    list->addItems(texts);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    list->setCurrentIndex(current >= 0 && current < texts.size() ? current : 0);
    return list;
}

} // namespace

CCustomizeDialog::CCustomizeDialog(CToolBarEx* toolbar, QWidget* parent)
    : QDialog(parent ? parent : toolbar->window()), m_toolbar(toolbar), m_iconOption(toolbar->IconOption())
{
    setObjectName(QStringLiteral("CustomizeDialog"));
    setWindowTitle(QStringLiteral("自定义工具栏 - ") + toolbar->windowTitle());

    m_available = new QListWidget(this);
    m_available->setObjectName(QStringLiteral("AvailableList"));
    m_current = new QListWidget(this);
    m_current->setObjectName(QStringLiteral("CurrentList"));
    for (QListWidget* list : {m_available, m_current}) {
        list->setIconSize(QSize(24, 24));
        list->setMinimumSize(180, 260);
    }
    auto makeButton = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    m_add = makeButton(QStringLiteral("添加(&A) ->"), "AddButton");
    m_remove = makeButton(QStringLiteral("<- 删除(&R)"), "RemoveButton");
    m_close = makeButton(QStringLiteral("关闭(&C)"), "CloseButton");
    m_reset = makeButton(QStringLiteral("重置(&E)"), "ResetButton");
    m_up = makeButton(QStringLiteral("上移(&U)"), "MoveUpButton");
    m_down = makeButton(QStringLiteral("下移(&D)"), "MoveDownButton");

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("可用工具栏按钮(&V):"), this), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("当前工具栏按钮(&T):"), this), 0, 2);
    lists->addWidget(m_available, 1, 0);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(m_add);
    middle->addWidget(m_remove);
    middle->addStretch();
    lists->addLayout(middle, 1, 1);
    lists->addWidget(m_current, 1, 2);
    auto* right = new QVBoxLayout;
    right->addWidget(m_close);
    right->addWidget(m_reset);
    right->addSpacing(16);
    right->addWidget(m_up);
    right->addWidget(m_down);
    right->addStretch();
    lists->addLayout(right, 1, 3);

    m_textList = MakeList(this, kTextOptionList,
                          {QStringLiteral("在下方显示文字标签"), QStringLiteral("在右侧显示文字标签"),
                           QStringLiteral("不显示文字标签")},
                          toolbar->TextOption());
    m_heightList = MakeList(this, kTextHeightList,
                            {QStringLiteral("正常"), QStringLiteral("1.25倍"), QStringLiteral("1.5倍"),
                             QStringLiteral("1.75倍"), QStringLiteral("2倍")},
                            toolbar->TextHeightOption());
    m_iconList = MakeList(this, kIconOptionList,
                          {QStringLiteral("小图标"), QStringLiteral("中图标"), QStringLiteral("大图标")},
                          toolbar->IconOption());
    auto* panel = new QGridLayout;
    auto addRow = [this, panel](int row, const QString& text, QComboBox* list) {
        auto* label = new QLabel(text, this);
        label->setBuddy(list);
        panel->addWidget(label, row, 0);
        panel->addWidget(list, row, 1);
        return label;
    };
    addRow(0, QStringLiteral("文字选项(&X):"), m_textList);
    m_heightLabel = addRow(1, QStringLiteral("文字高度(&S):"), m_heightList);
    addRow(2, QStringLiteral("图标选项(&N):"), m_iconList);
    panel->setColumnStretch(2, 1);

    auto* top = new QVBoxLayout(this);
    top->addLayout(lists);
    top->addLayout(panel);

    connect(m_add, &QPushButton::clicked, this, &CCustomizeDialog::AddSelected);
    connect(m_remove, &QPushButton::clicked, this, &CCustomizeDialog::RemoveSelected);
    connect(m_up, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { MoveSelected(1); });
    connect(m_reset, &QPushButton::clicked, this, &CCustomizeDialog::Reset);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_available, &QListWidget::itemDoubleClicked, this, &CCustomizeDialog::AddSelected);
    connect(m_current, &QListWidget::itemDoubleClicked, this, &CCustomizeDialog::RemoveSelected);
    connect(m_available, &QListWidget::currentRowChanged, this, &CCustomizeDialog::UpdateButtons);
    connect(m_current, &QListWidget::currentRowChanged, this, &CCustomizeDialog::UpdateButtons);
    connect(m_textList, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_toolbar->ChooseTextOption(index, true);
        UpdateEnabling();
    });
    connect(m_heightList, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_toolbar->ChooseTextHeightOption(index, true); });
    connect(m_iconList, &QComboBox::currentIndexChanged, this, [this](int index) { m_iconOption = index; });
    connect(toolbar, &CToolBarEx::layoutChanged, this, &CCustomizeDialog::FillLists);

    FillLists();
    UpdateEnabling();
}

void CCustomizeDialog::FillLists()
{
    const int availableRow = m_available->currentRow();
    const int currentRow = m_current->currentRow();
    const QSignalBlocker blockAvailable(m_available);
    const QSignalBlocker blockCurrent(m_current);
    m_available->clear();
    m_current->clear();

    // Separators get a drawn rule of the buttons' image size, so every label lines up.
    const QSize size = m_toolbar->iconSize();
    QPixmap rule(size);
    rule.fill(Qt::transparent);
    {
        QPainter p(&rule);
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(1, size.height() / 2, size.width() - 2, size.height() / 2);
    }
    const QIcon separatorIcon(rule);
    // A separator can always be added.
    auto* separator = new QListWidgetItem(separatorIcon, kSeparatorText, m_available);
    separator->setData(Qt::UserRole, 0);
    const QList<int>& layout = m_toolbar->Layout();
    for (const ToolbarButton& e : m_toolbar->ButtonTable()) {
        if (e.commandId == 0 || layout.contains(e.commandId))
            continue;
        auto* item = new QListWidgetItem(QIcon(m_toolbar->ButtonImage(e.imageIndex)), e.label, m_available);
        item->setData(Qt::UserRole, e.commandId);
    }
    for (int id : layout) {
        const ToolbarButton* e = id ? m_toolbar->TableEntry(id) : nullptr;
        auto* item =
            e ? new QListWidgetItem(QIcon(m_toolbar->ButtonImage(e->imageIndex)), e->label, m_current)
              : new QListWidgetItem(kSeparatorText, m_current);
        item->setData(Qt::UserRole, id);
    }
    m_available->setCurrentRow(std::min(availableRow, m_available->count() - 1));
    m_current->setCurrentRow(std::min(currentRow, m_current->count() - 1));
    UpdateButtons();
}

void CCustomizeDialog::UpdateButtons()
{
    const int row = m_current->currentRow();
    m_add->setEnabled(m_available->currentRow() >= 0);
    m_remove->setEnabled(row >= 0);
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && row + 1 < m_current->count());
}

void CCustomizeDialog::UpdateEnabling()
{
    const bool labels = m_textList->currentIndex() != CToolBarEx::kTextNone;
    m_heightList->setEnabled(labels);
    m_heightLabel->setEnabled(labels);
}

void CCustomizeDialog::AddSelected()
{
    const QListWidgetItem* item = m_available->currentItem();
    if (!item)
        return;
    const int id = item->data(Qt::UserRole).toInt();
    // Inserted before the selected button, or at the end.
    const int row = m_current->currentRow();
    const int position = row >= 0 ? row : m_current->count();
    m_toolbar->InsertButton(position, id);
    m_current->setCurrentRow(position);
}

void CCustomizeDialog::RemoveSelected()
{
    const int row = m_current->currentRow();
    if (row < 0)
        return;
    m_toolbar->RemoveButton(row);
    m_current->setCurrentRow(std::min(row, m_current->count() - 1));
}

void CCustomizeDialog::MoveSelected(int delta)
{
    const int row = m_current->currentRow();
    const int to = row + delta;
    if (row < 0 || to < 0 || to >= m_current->count())
        return;
    m_toolbar->MoveButton(row, to);
    m_current->setCurrentRow(to);
}

void CCustomizeDialog::Reset()
{
    m_toolbar->ResetButtons();
    {
        const QSignalBlocker b1(m_textList);
        const QSignalBlocker b2(m_heightList);
        const QSignalBlocker b3(m_iconList);
        m_textList->setCurrentIndex(CToolBarEx::kTextNone);
        m_heightList->setCurrentIndex(0);
        m_iconList->setCurrentIndex(CToolBarEx::kIconSmall);
    }
    m_iconOption = CToolBarEx::kIconSmall;
    m_toolbar->ChooseTextOption(CToolBarEx::kTextNone, true);
    // The label font follows the list, so a later label option shows the height the list says.
    m_toolbar->ChooseTextHeightOption(0, true);
    UpdateEnabling();
}
