// FindReplaceDialog and the process-wide last search.
#include "views/findreplacedialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

FindSettings& LastFindSettings()
{
    static FindSettings settings;
    return settings;
}

FindReplaceDialog::FindReplaceDialog(bool replace, const FindSettings& settings, QWidget* parent)
    : QDialog(parent), m_replace(replace)
{
    setObjectName(replace ? QStringLiteral("ReplaceDialog") : QStringLiteral("FindDialog"));
    setWindowTitle(replace ? QStringLiteral("替换") : QStringLiteral("查找"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* fields = new QGridLayout;
    m_find = new QLineEdit(settings.findWhat, this);
    m_find->setObjectName(QStringLiteral("findWhat"));
    auto* findLabel = new QLabel(QStringLiteral("查找内容(&N):"), this);
    findLabel->setBuddy(m_find);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_find, 0, 1);
    if (replace) {
        m_replaceWith = new QLineEdit(settings.replaceWith, this);
        m_replaceWith->setObjectName(QStringLiteral("replaceWith"));
        auto* replaceLabel = new QLabel(QStringLiteral("替换为(&P):"), this);
        replaceLabel->setBuddy(m_replaceWith);
        fields->addWidget(replaceLabel, 1, 0);
        fields->addWidget(m_replaceWith, 1, 1);
    }
    m_wholeWord = new QCheckBox(QStringLiteral("全字匹配(&W)"), this);
    m_wholeWord->setObjectName(QStringLiteral("wholeWord"));
    m_wholeWord->setChecked(settings.wholeWord);
    m_matchCase = new QCheckBox(QStringLiteral("区分大小写(&C)"), this);
    m_matchCase->setObjectName(QStringLiteral("matchCase"));
    m_matchCase->setChecked(settings.matchCase);

    auto* direction = new QGroupBox(QStringLiteral("方向"), this);
    auto* directionRow = new QHBoxLayout(direction);
    m_up = new QRadioButton(QStringLiteral("向上(&U)"), direction);
    m_up->setObjectName(QStringLiteral("up"));
    m_down = new QRadioButton(QStringLiteral("向下(&D)"), direction);
    m_down->setObjectName(QStringLiteral("down"));
    directionRow->addWidget(m_up);
    directionRow->addWidget(m_down);
    (settings.down ? m_down : m_up)->setChecked(true);

    auto* options = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_wholeWord);
    checks->addWidget(m_matchCase);
    options->addLayout(checks);
    options->addWidget(direction);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    left->addStretch();

    auto* buttons = new QVBoxLayout;
    m_findNext = new QPushButton(QStringLiteral("查找下一个(&F)"), this);
    m_findNext->setObjectName(QStringLiteral("findNext"));
    m_findNext->setDefault(true);
    buttons->addWidget(m_findNext);
    connect(m_findNext, &QPushButton::clicked, this, &FindReplaceDialog::FindNextRequested);
    if (replace) {
        m_replaceOne = new QPushButton(QStringLiteral("替换(&R)"), this);
        m_replaceOne->setObjectName(QStringLiteral("replace"));
        m_replaceAll = new QPushButton(QStringLiteral("全部替换(&A)"), this);
        m_replaceAll->setObjectName(QStringLiteral("replaceAll"));
        buttons->addWidget(m_replaceOne);
        buttons->addWidget(m_replaceAll);
        connect(m_replaceOne, &QPushButton::clicked, this, &FindReplaceDialog::ReplaceRequested);
        connect(m_replaceAll, &QPushButton::clicked, this, &FindReplaceDialog::ReplaceAllRequested);
    }
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* row = new QHBoxLayout(this);
    row->addLayout(left, 1);
    row->addLayout(buttons);

    connect(m_find, &QLineEdit::textChanged, this, &FindReplaceDialog::UpdateButtons);
    UpdateButtons();
    m_find->selectAll();
    m_find->setFocus();
}

FindSettings FindReplaceDialog::Settings() const
{
    FindSettings s;
    s.findWhat = m_find->text();
    s.replaceWith = m_replaceWith ? m_replaceWith->text() : LastFindSettings().replaceWith;
    s.matchCase = m_matchCase->isChecked();
    s.wholeWord = m_wholeWord->isChecked();
    s.down = m_down->isChecked();
    return s;
}

void FindReplaceDialog::UpdateButtons()
{
    // Nothing to look for: the buttons that search stay off.
    const bool any = !m_find->text().isEmpty();
    m_findNext->setEnabled(any);
    if (m_replaceOne)
        m_replaceOne->setEnabled(any);
    if (m_replaceAll)
        m_replaceAll->setEnabled(any);
}
