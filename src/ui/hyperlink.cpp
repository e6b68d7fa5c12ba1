// The hyperlink label: colours, hover, opening the target and the failure texts.
#include "ui/hyperlink.h"

#include "settings/messagesink.h"
#include "ui/colourpalette.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEnterEvent>
#include <QFileInfo>
#include <QMouseEvent>

namespace {
// Failure codes, numbered as the classic shell reports them so the texts stay aligned.
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kAccessDenied = 5;
constexpr int kNoAssociation = 31;
constexpr int kOpened = 33;

QUrl TargetUrl(const QString& target)
{
    const QString t = target.trimmed();
    if (t.startsWith(QLatin1Char('/')))
        return QUrl::fromLocalFile(t);
    return QUrl::fromUserInput(t, QDir::currentPath());
}
} // namespace

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent)
{
    Init();
}

CHyperLink::CHyperLink(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    Init();
}

void CHyperLink::Init()
{
    setTextFormat(Qt::PlainText);
    setMouseTracking(true);
    setAutoFillBackground(false);
    m_opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    ApplyLook();
}

void CHyperLink::AssignLinkTarget(const QString& target)
{
    m_target = target;
    setToolTip(target);
    ApplyLook();
    updateGeometry();
    if (!parentWidget() || !parentWidget()->layout())
        adjustSize();
}

void CHyperLink::AssignLinkColour(COLORREF colour)
{
    m_linkColour = colour;
    ApplyLook();
}

void CHyperLink::AssignVisitedColour(COLORREF colour)
{
    m_visitedColour = colour;
    ApplyLook();
}

void CHyperLink::AssignHoverColour(COLORREF colour)
{
    m_hoverColour = colour;
    ApplyLook();
}

void CHyperLink::AssignUnderline(bool on)
{
    m_underline = on;
    ApplyLook();
}

void CHyperLink::AssignLinkCursor(std::optional<QCursor> cursor)
{
    m_cursor = std::move(cursor);
    if (m_over && m_cursor)
        setCursor(*m_cursor);
    else
        unsetCursor();
}

void CHyperLink::SetOpener(Opener opener)
{
    m_opener = std::move(opener);
}

COLORREF CHyperLink::TextColour() const
{
    if (m_over)
        return m_hoverColour ? *m_hoverColour : RefFromQColor(palette().color(QPalette::Highlight));
    return m_visited ? m_visitedColour : m_linkColour;
}

void CHyperLink::ApplyLook()
{
    // setFont/setPalette raise change events of their own; do not come back here from them.
    m_applying = true;
    QFont f = font();
    if (f.underline() != m_underline) {
        f.setUnderline(m_underline);
        setFont(f);
    }
    QPalette pal = palette();
    const QColor want = QColorFromRef(TextColour());
    if (pal.color(QPalette::WindowText) != want) {
        pal.setColor(QPalette::WindowText, want);
        setPalette(pal);
    }
    m_applying = false;
    update();
}

void CHyperLink::changeEvent(QEvent* e)
{
    QLabel::changeEvent(e);
    if (!m_applying && (e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange))
        ApplyLook();
}

void CHyperLink::SetOver(bool over)
{
    if (over == m_over)
        return;
    m_over = over;
    if (m_over && m_cursor)
        setCursor(*m_cursor);
    else if (!m_over)
        unsetCursor();
    ApplyLook();
}

void CHyperLink::enterEvent(QEnterEvent* e)
{
    QLabel::enterEvent(e);
    SetOver(true);
}

void CHyperLink::leaveEvent(QEvent* e)
{
    QLabel::leaveEvent(e);
    SetOver(false);
}

void CHyperLink::mouseMoveEvent(QMouseEvent* e)
{
    // While a button is held the label keeps the mouse, so leaving shows up here, not as a leave.
    SetOver(rect().contains(e->position().toPoint()));
    QLabel::mouseMoveEvent(e);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* e)
{
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        OpenTarget();
}

int CHyperLink::OpenWith(const QString& target, const Opener& opener)
{
    if (target.trimmed().isEmpty())
        return kFileNotFound;
    const QUrl url = TargetUrl(target);
    if (!url.isValid())
        return kFileNotFound;
    if (url.isLocalFile()) {
        const QFileInfo file(url.toLocalFile());
        if (!file.exists())
            return file.absoluteDir().exists() ? kFileNotFound : kPathNotFound;
        if (!file.isReadable())
            return kAccessDenied;
    }
    if (!opener || !opener(url))
        return kNoAssociation;
    return kOpened;
}

bool CHyperLink::OpenTarget()
{
    const int result = OpenWith(m_target, m_opener);
    if (result > 32) {
        m_visited = true;
        ApplyLook();
        return true;
    }
    QApplication::beep();
    ShowMessage(QStringLiteral("Unable to open hyperlink:\n\n") + OpenErrorText(result), MsgIcon::Warning);
    return false;
}

QString CHyperLink::OpenErrorText(int result)
{
    switch (result) {
    case 0:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred. ");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not\nbe completed because other DDE "
                              "transactions\nwere being processed.");
    case 31:
        return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        break;
    }
    return QStringLiteral("Unknown Error (%1) occurred.").arg(result);
}
