// CChapterSettingsDlg: condition rows, their buttons, and the checks before the settings are stored.
#include "chapters/chaptersettingsdlg.h"

#include "chapters/chapterconditiondlg.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QPushButton* MakeButton(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QCheckBox* MakeBox(const QString& text, const char* name, ParaIndex setting, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(ParaGetInt(setting) != 0);
    return box;
}

QFrame* MakeLine(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

CChapterSettingsDlg::CChapterSettingsDlg(const ChapterConditionList& conditions, QWidget* parent)
    : QDialog(parent), m_workingCopy(conditions)
{
    setObjectName(QStringLiteral("ChapterSettingsDlg"));
    setWindowTitle(QStringLiteral("章节查询设置"));

    m_list = new QTableWidget(0, 1, this);
    m_list->setObjectName(QStringLiteral("ConditionList"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("条件")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->setMinimumSize(220, 200);
    for (const QString& condition : m_workingCopy.Items())
        AppendRow(ConditionKeyword(condition).toString(), IsConditionEnabled(condition));

    QPushButton* add = MakeButton(QStringLiteral("添加"), "AddButton", this);
    QPushButton* remove = MakeButton(QStringLiteral("删除"), "DeleteButton", this);
    QPushButton* tickAll = MakeButton(QStringLiteral("全选"), "TickAllButton", this);
    QPushButton* untickAll = MakeButton(QStringLiteral("全不选"), "UntickAllButton", this);
    QPushButton* edit = MakeButton(QStringLiteral("编辑"), "EditButton", this);
    QPushButton* ok = MakeButton(QStringLiteral("确定"), "OkButton", this);
    ok->setDefault(true);
    QPushButton* cancel = MakeButton(QStringLiteral("放弃"), "CancelButton", this);

    m_engDigit = MakeBox(QStringLiteral("半角数字（0～9）"), "EngDigit", PARA_CHP_ENG_DIGIT, this);
    m_chnDigit = MakeBox(QStringLiteral("全角数字（０～９）"), "ChnDigit", PARA_CHP_CHN_DIGIT, this);
    m_chnLower = MakeBox(QStringLiteral("中文数字（一～九）"), "ChnLower", PARA_CHP_CHN_LOWER, this);
    m_chnUpper = MakeBox(QStringLiteral("中文大写数字（零～玖）"), "ChnUpper", PARA_CHP_CHN_UPPER, this);
    m_lineHead = new QLineEdit(QString::number(ParaGetInt(PARA_CHP_LINE_HEAD)), this);
    m_lineHead->setObjectName(QStringLiteral("LineHead"));
    m_lineHead->setMaxLength(6);
    m_lineHead->setFixedWidth(m_lineHead->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    m_sepBlank = MakeBox(QStringLiteral("关键字后需带分隔符（半/全角空格、制表符、换行符、括号）"),
                         "SepBlank", PARA_CHP_SEP_BLANK, this);
    m_noDupChapter = MakeBox(QStringLiteral("过滤重复章号"), "NoDupChapter", PARA_CHP_NO_DUP_CHPT, this);

    // Upper part: the keyword rows and their buttons.
    auto* keywordTitle = new QHBoxLayout;
    keywordTitle->addWidget(new QLabel(QStringLiteral("关键字"), this));
    keywordTitle->addWidget(MakeLine(this), 1);
    auto* rowButtons = new QVBoxLayout;
    for (QPushButton* b : {add, remove, tickAll, untickAll, edit})
        rowButtons->addWidget(b);
    rowButtons->addStretch();
    auto* upper = new QHBoxLayout;
    upper->addWidget(m_list, 1);
    upper->addLayout(rowButtons);

    auto* numerals = new QGridLayout;
    numerals->addWidget(m_engDigit, 0, 0);
    numerals->addWidget(m_chnDigit, 0, 1);
    numerals->addWidget(m_chnLower, 1, 0);
    numerals->addWidget(m_chnUpper, 1, 1);
    numerals->setContentsMargins(16, 0, 0, 0);
    auto* lineHead = new QHBoxLayout;
    auto* lineHeadLabel = new QLabel(QStringLiteral("关键字前允许出现的字符数:"), this);
    lineHeadLabel->setBuddy(m_lineHead);
    lineHead->addWidget(lineHeadLabel);
    lineHead->addWidget(m_lineHead);
    lineHead->addWidget(new QLabel(QStringLiteral("(0～20)"), this));
    lineHead->addStretch();
    auto* okCancel = new QHBoxLayout;
    okCancel->addStretch();
    okCancel->addWidget(ok);
    okCancel->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(keywordTitle);
    layout->addLayout(upper, 1);
    layout->addWidget(MakeLine(this));
    layout->addWidget(new QLabel(QStringLiteral("×包括:"), this));
    layout->addLayout(numerals);
    layout->addLayout(lineHead);
    layout->addWidget(m_sepBlank);
    layout->addWidget(m_noDupChapter);
    layout->addLayout(okCancel);

    connect(add, &QPushButton::clicked, this, &CChapterSettingsDlg::OnAdd);
    connect(remove, &QPushButton::clicked, this, &CChapterSettingsDlg::OnDelete);
    connect(edit, &QPushButton::clicked, this, &CChapterSettingsDlg::OnEdit);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, &CChapterSettingsDlg::OnEdit);
    connect(tickAll, &QPushButton::clicked, this, [this] { SetAllTicks(true); });
    connect(untickAll, &QPushButton::clicked, this, [this] { SetAllTicks(false); });
    connect(ok, &QPushButton::clicked, this, &CChapterSettingsDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CChapterSettingsDlg::AppendRow(const QString& text, bool ticked)
{
    const int row = m_list->rowCount();
    m_list->insertRow(row);
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    m_list->setItem(row, 0, item);
}

QStringList CChapterSettingsDlg::RowTexts() const
{
    QStringList texts;
    for (int i = 0; i < m_list->rowCount(); ++i)
        texts.append(m_list->item(i, 0)->text());
    return texts;
}

int CChapterSettingsDlg::SelectedRow() const
{
    const QList<QTableWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : selected.front()->row();
}

void CChapterSettingsDlg::OnAdd()
{
    CChapterConditionDlg dialog(true, QString(), RowTexts(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    AppendRow(dialog.Text(), true);
    m_list->selectRow(m_list->rowCount() - 1);
    m_list->scrollToBottom();
}

void CChapterSettingsDlg::OnEdit()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    CChapterConditionDlg dialog(false, m_list->item(row, 0)->text(), RowTexts(), this);
    if (dialog.exec() == QDialog::Accepted)
        m_list->item(row, 0)->setText(dialog.Text());
}

void CChapterSettingsDlg::OnDelete()
{
    if (m_list->rowCount() == 0)
        return;
    const int row = SelectedRow();
    if (row < 0) {
        ShowMessage(QStringLiteral("请先选择需要删除的项。"), MsgIcon::Warning);
        return;
    }
    if (AskQuestion(QStringLiteral("您真的想删除所选项吗？"), MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    m_list->removeRow(row);
}

void CChapterSettingsDlg::SetAllTicks(bool ticked)
{
    for (int i = 0; i < m_list->rowCount(); ++i)
        m_list->item(i, 0)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void CChapterSettingsDlg::accept()
{
    if (!m_engDigit->isChecked() && !m_chnDigit->isChecked() && !m_chnLower->isChecked() &&
        !m_chnUpper->isChecked()) {
        ShowMessage(QStringLiteral("×总要包括点什么吧？"), MsgIcon::Warning);
        return;
    }
    bool number = false;
    const int lineHead = m_lineHead->text().trimmed().toInt(&number);
    if (!number || lineHead < 0 || lineHead > 20) {
        ShowMessage(QStringLiteral("抱歉，关键字前出现的字符数只能是0～20，请更正。"), MsgIcon::Warning);
        m_lineHead->setFocus();
        m_lineHead->selectAll();
        return;
    }
    ParaSetInt(m_engDigit->isChecked() ? 1 : 0, PARA_CHP_ENG_DIGIT);
    ParaSetInt(m_chnDigit->isChecked() ? 1 : 0, PARA_CHP_CHN_DIGIT);
    ParaSetInt(m_chnLower->isChecked() ? 1 : 0, PARA_CHP_CHN_LOWER);
    ParaSetInt(m_chnUpper->isChecked() ? 1 : 0, PARA_CHP_CHN_UPPER);
    ParaSetInt(lineHead, PARA_CHP_LINE_HEAD);
    ParaSetInt(m_sepBlank->isChecked() ? 1 : 0, PARA_CHP_SEP_BLANK);
    ParaSetInt(m_noDupChapter->isChecked() ? 1 : 0, PARA_CHP_NO_DUP_CHPT);
    m_workingCopy.Clear();
    for (int i = 0; i < m_list->rowCount(); ++i) {
        const QTableWidgetItem* item = m_list->item(i, 0);
        // A text that only fits without the enabled mark is kept, unticked, rather than lost.
        if (!m_workingCopy.Add(MakeCondition(item->text(), item->checkState() == Qt::Checked)))
            m_workingCopy.Add(item->text());
    }
    QDialog::accept();
}
