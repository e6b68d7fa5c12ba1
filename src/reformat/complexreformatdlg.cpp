// CComplexReformatDlg: layout, the spins that tick their boxes, and storing on OK.
#include "reformat/complexreformatdlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Longest value the settings file reads back whole.
constexpr int kMaxEndChars = 259;

QCheckBox* MakeBox(const QString& text, const char* name, bool checked, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    return box;
}

// The value is set before the box is linked, so only the user's moves tick it.
QSpinBox* MakeSpin(const char* name, int lo, int hi, int value, QCheckBox* box, QWidget* parent)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(lo, hi);
    spin->setValue(std::clamp(value, lo, hi));
    QObject::connect(spin, &QSpinBox::valueChanged, box, [box] {
        if (!box->isChecked())
            box->setChecked(true);
    });
    return spin;
}

} // namespace

CComplexReformatDlg::CComplexReformatDlg(const ComplexOptions& o, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ComplexReformatDlg"));
    setWindowTitle(QStringLiteral("复杂排版"));

    auto* signs = new QGroupBox(QStringLiteral("判断一个段落开始的标志是"), this);
    m_beginWithChn = MakeBox(QStringLiteral("以"), "ChnSpaceCheck", o.beginWithChn, signs);
    m_chnSpace = MakeSpin("ChnSpaceSpin", kMinSpaceCount, kMaxSpaceCount, o.chnSpace, m_beginWithChn, signs);
    m_beginWithEng = MakeBox(QStringLiteral("以"), "EngSpaceCheck", o.beginWithEng, signs);
    m_engSpace = MakeSpin("EngSpaceSpin", kMinSpaceCount, kMaxSpaceCount, o.engSpace, m_beginWithEng, signs);
    m_checkLineLen =
        MakeBox(QStringLiteral("上一行行长比平均行长短少1/"), "LineLengthCheck", o.checkLineLen, signs);
    m_tailSpace = MakeSpin("TailSpaceSpin", kMinTailSpace, kMaxTailSpace, o.tailSpace, m_checkLineLen, signs);
    m_beginWithBlankLine =
        MakeBox(QStringLiteral("后面跟了一个空行"), "BlankLineCheck", o.beginWithBlankLine, signs);
    m_endWithSpec = MakeBox(QStringLiteral("行末是下列字符:"), "EndCharsCheck", o.endWithSpec, signs);
    m_paraEnd = new QLineEdit(o.paraEnd.left(kMaxEndChars), signs);
    m_paraEnd->setObjectName(QStringLiteral("EndCharsEdit"));
    m_paraEnd->setMaxLength(kMaxEndChars);

    auto* signGrid = new QGridLayout(signs);
    signGrid->addWidget(m_beginWithChn, 0, 0);
    signGrid->addWidget(m_chnSpace, 0, 1);
    signGrid->addWidget(new QLabel(QStringLiteral("个中文空格开头的行"), signs), 0, 2);
    signGrid->addWidget(m_beginWithEng, 1, 0);
    signGrid->addWidget(m_engSpace, 1, 1);
    signGrid->addWidget(new QLabel(QStringLiteral("个英文字符开头的行"), signs), 1, 2);
    auto* lineLength = new QHBoxLayout;
    lineLength->addWidget(m_checkLineLen);
    lineLength->addWidget(m_tailSpace);
    lineLength->addStretch(1);
    signGrid->addLayout(lineLength, 2, 0, 1, 3);
    signGrid->addWidget(m_beginWithBlankLine, 3, 0, 1, 3);
    auto* endChars = new QHBoxLayout;
    endChars->addWidget(m_endWithSpec);
    endChars->addWidget(m_paraEnd, 1);
    signGrid->addLayout(endChars, 4, 0, 1, 3);
    signGrid->setColumnStretch(2, 1);

    auto* layout = new QGroupBox(QStringLiteral("排版后的段落"), this);
    m_addChnSpace = MakeBox(QStringLiteral("行首空两格"), "IndentCheck", o.addChnSpace, layout);
    m_addBlankLine = MakeBox(QStringLiteral("段落后加空行"), "AddBlankLineCheck", o.addBlankLine, layout);
    auto* layoutBoxes = new QHBoxLayout(layout);
    layoutBoxes->addWidget(m_addChnSpace);
    layoutBoxes->addWidget(m_addBlankLine);
    layoutBoxes->addStretch(1);

    m_ok = new QPushButton(QStringLiteral("确定"), this);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* column = new QVBoxLayout(this);
    column->addWidget(signs);
    column->addWidget(layout);
    column->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

ComplexOptions CComplexReformatDlg::Options() const
{
    ComplexOptions o;
    o.beginWithChn = m_beginWithChn->isChecked();
    o.beginWithEng = m_beginWithEng->isChecked();
    o.checkLineLen = m_checkLineLen->isChecked();
    o.beginWithBlankLine = m_beginWithBlankLine->isChecked();
    o.endWithSpec = m_endWithSpec->isChecked();
    o.paraEnd = m_paraEnd->text();
    o.chnSpace = m_chnSpace->value();
    o.engSpace = m_engSpace->value();
    o.tailSpace = m_tailSpace->value();
    o.addChnSpace = m_addChnSpace->isChecked();
    o.addBlankLine = m_addBlankLine->isChecked();
    return o;
}

void CComplexReformatDlg::accept()
{
    // A number half typed into a spin counts as what it shows.
    for (QSpinBox* spin : {m_chnSpace, m_engSpace, m_tailSpace})
        spin->interpretText();
    StoreComplexOptions(Options());
    QDialog::accept();
}
