// GoToPageDialog and CMyEdit.
#include "views/gotopagedialog.h"

#include "settings/messagesink.h"
#include "settings/parablock.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace {

QString LocalePoint()
{
    return QLocale().decimalPoint();
}

bool IsPoint(const QString& text, qsizetype at, qsizetype* length)
{
    if (text[at] == u'.') {
        *length = 1;
        return true;
    }
    const QString point = LocalePoint();
    *length = point.size();
    return !point.isEmpty() && QStringView(text).mid(at).startsWith(point);
}

// The leading decimal number of `text` (at most 24 digits), with '.' or the locale's decimal point;
// 0 when there is none. Nothing else is read, so "nan" or "inf" are no number at all.
double LeadingNumber(const QString& text)
{
    const QString t = text.trimmed();
    QString number;
    bool seenPoint = false;
    for (qsizetype i = 0; i < t.size() && number.size() < 24;) {
        qsizetype length = 1;
        if (t[i] >= u'0' && t[i] <= u'9') {
            number += t[i];
        } else if (!seenPoint && IsPoint(t, i, &length)) {
            seenPoint = true;
            number += u'.';
        } else {
            break;
        }
        i += length;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

// `x` percent of `count`, rounded, within 0..count; computed in floating point so that no value
// typed or pasted can overflow.
int PercentOf(double x, int count)
{
    if (count <= 0)
        return 0;
    double scaled = x * count / 100.0 + 0.5;
    if (std::isnan(scaled))
        scaled = 0.0;
    return static_cast<int>(std::clamp(scaled, 0.0, static_cast<double>(count)));
}

QString FormatPercent(double value)
{
    return QLocale().toString(value, 'f', 2);
}

} // namespace

CMyEdit::CMyEdit(QWidget* parent) : QLineEdit(parent) {}

void CMyEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_A:
            selectAll();
            return;
        case Qt::Key_C:
            copy();
            return;
        case Qt::Key_V:
            paste();
            return;
        case Qt::Key_X:
            cut();
            return;
        case Qt::Key_Z:
            undo();
            return;
        default:
            break;
        }
    }
    const QString text = event->text();
    if (m_filterMode != 0 && !text.isEmpty() && text[0].isPrint()) {
        for (const QChar c : text) {
            const bool digit = c >= u'0' && c <= u'9';
            const bool point = m_filterMode == 2 && (c == u'.' || LocalePoint().contains(c));
            const bool percent = m_allowPercent && c == u'%';
            if (!digit && !point && !percent)
                return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

GoToPageDialog::GoToPageDialog(GoToPageTarget* target, QWidget* parent) : QDialog(parent), m_view(target)
{
    setWindowTitle(QStringLiteral("跳页"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("跳至:"), this), 0, 0);
    m_target = new CMyEdit(this);
    m_target->setObjectName(QStringLiteral("target"));
    grid->addWidget(m_target, 0, 1);
    m_unit = new QLabel(QStringLiteral("Static"), this);
    m_unit->setObjectName(QStringLiteral("unit"));
    m_unit->setMinimumWidth(m_unit->fontMetrics().horizontalAdvance(QStringLiteral("/99999")));
    grid->addWidget(m_unit, 0, 2);
    auto* jump = new QPushButton(QStringLiteral("跳转"), this);
    jump->setObjectName(QStringLiteral("jump"));
    jump->setDefault(true);
    grid->addWidget(jump, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("模式:"), this), 1, 0);
    m_mode = new QComboBox(this);
    m_mode->setObjectName(QStringLiteral("mode"));
    m_mode->addItems({QStringLiteral("按页跳"), QStringLiteral("按百分比跳")});
    grid->addWidget(m_mode, 1, 1, 1, 2);
    auto* leave = new QPushButton(QStringLiteral("离开"), this);
    leave->setObjectName(QStringLiteral("leave"));
    grid->addWidget(leave, 1, 3);

    connect(jump, &QPushButton::clicked, this, &GoToPageDialog::Jump);
    connect(leave, &QPushButton::clicked, this, &GoToPageDialog::reject);

    if (m_view->GoToIsEditView()) {
        m_mode->setCurrentIndex(1);
        m_mode->setEnabled(false);
        m_unit->setText(QStringLiteral("%"));
        m_target->SetFilterMode(2);
        const int lines = std::max(1, m_view->GoToLineCount());
        m_target->setText(FormatPercent(m_view->GoToFirstVisibleLine() * 100.0 / lines));
    } else {
        const int mode = std::clamp(ParaGetInt(PARA_GOTO_TYPE), 0, 1);
        Fill(mode);
        connect(m_mode, &QComboBox::currentIndexChanged, this, [this](int index) { Fill(index); });
    }
    m_target->selectAll();
    m_target->setFocus();
}

void GoToPageDialog::Fill(int mode)
{
    const QSignalBlocker block(m_mode);
    m_mode->setCurrentIndex(mode);
    const int count = m_view->GoToPageCount();
    const int page = m_view->GoToCurrentPage();
    if (mode == 0) {
        m_unit->setText(QStringLiteral("/%1").arg(count));
        m_target->SetFilterMode(1);
        m_target->setText(QString::number(page + 1));
    } else {
        m_unit->setText(QStringLiteral("%"));
        m_target->SetFilterMode(2);
        m_target->setText(FormatPercent(count > 0 ? (page + 1) * 100.0 / count : 0.0));
    }
    m_target->selectAll();
}

void GoToPageDialog::Jump()
{
    const QString text = m_target->text();
    if (m_view->GoToIsEditView()) {
        m_view->GoToScrollToLine(PercentOf(LeadingNumber(text), m_view->GoToLineCount()));
        m_view->GoToPushStatus();
        return;
    }
    const int count = m_view->GoToPageCount();
    if (m_mode->currentIndex() == 1) {
        m_view->GoToShowPage(std::max(0, PercentOf(LeadingNumber(text), count) - 1));
        m_view->GoToPushStatus();
        return;
    }
    bool ok = false;
    const qlonglong b = text.trimmed().toLongLong(&ok);
    if (!ok || b <= 0 || b > count) {
        ShowMessage(QStringLiteral("抱歉，您指定的页码超出了范围。"), MsgIcon::Warning);
        return;
    }
    m_view->GoToShowPage(static_cast<int>(b - 1));
    m_view->GoToPushStatus();
}

void GoToPageDialog::Leave()
{
    if (m_left)
        return;
    m_left = true;
    if (!m_view->GoToIsEditView())
        ParaSetInt(m_mode->currentIndex(), PARA_GOTO_TYPE);
}

void GoToPageDialog::reject()
{
    Leave();
    QDialog::reject();
}

void GoToPageDialog::closeEvent(QCloseEvent* event)
{
    Leave();
    QDialog::closeEvent(event);
}
