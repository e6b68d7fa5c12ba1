// The colour picker button: drawing, opening the popup and relaying its outcome.
#include "ui/colourpicker.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <qdrawutil.h>

namespace {
constexpr int kEdge = 2;

std::optional<QColor> RunQColorDialog(const QColor& initial, QWidget* parent)
{
    const QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid())
        return std::nullopt;
    return c;
}
} // namespace

CColourPicker::CColourPicker(QWidget* parent, int controlId)
    : QPushButton(parent), m_background(RefFromQColor(palette().color(QPalette::Button))),
      m_text(RefFromQColor(palette().color(QPalette::ButtonText))),
      m_default(RefFromQColor(palette().color(QPalette::Base))), m_defaultText(QStringLiteral("自动")),
      m_customText(QStringLiteral("其它...")), m_id(controlId), m_runner(RunQColorDialog)
{
    connect(this, &QPushButton::clicked, this, &CColourPicker::OpenPopup);
}

void CColourPicker::AssignColour(COLORREF colour)
{
    StoreColour(colour);
}

COLORREF CColourPicker::CurrentColour() const
{
    return m_mode == kEditTextColour ? m_text : m_background;
}

void CColourPicker::AssignAutomaticColour()
{
    StoreColour(kAutomaticColour);
}

void CColourPicker::AssignDefaultBoxText(const QString& text)
{
    m_defaultText = text;
}

void CColourPicker::AssignCustomBoxText(const QString& text)
{
    m_customText = text;
}

void CColourPicker::EnableLiveTracking(bool on)
{
    m_track = on;
}

void CColourPicker::ChooseSelectionMode(int mode)
{
    if (mode == kEditTextColour || mode == kEditBackgroundColour)
        m_mode = mode;
}

void CColourPicker::AssignDefaultColour(COLORREF colour)
{
    m_default = colour;
    update();
}

void CColourPicker::SetColourDialogRunner(ColourDialogRunner runner)
{
    m_runner = std::move(runner);
}

void CColourPicker::StoreColour(COLORREF colour)
{
    if (m_mode == kEditTextColour)
        m_text = colour;
    else
        m_background = colour;
    update();
}

void CColourPicker::OpenPopup()
{
    if (m_active)
        return;
    m_active = true;
    update();
    const COLORREF colour = CurrentColour();
    m_popup = new CColourPopup(this, colour, m_defaultText, m_customText, m_runner);
    connect(m_popup, &CColourPopup::selectionChanged, this, &CColourPicker::OnPopupChanged);
    connect(m_popup, &CColourPopup::selectionEnded, this, &CColourPicker::OnPopupEnded);
    connect(m_popup, &CColourPopup::selectionCancelled, this, &CColourPicker::OnPopupCancelled);
    m_popup->PopUpBelow(QRect(mapToGlobal(QPoint(0, 0)), size()));
    emit dropDown(colour, m_id);
}

void CColourPicker::OnPopupChanged(COLORREF colour)
{
    if (m_track)
        StoreColour(colour);
    emit selectionChanged(colour, m_id);
}

void CColourPicker::OnPopupEnded(COLORREF colour)
{
    m_active = false;
    m_popup = nullptr;
    StoreColour(colour);
    emit closeUp(colour, m_id);
    emit selectionEnded(colour, m_id);
}

void CColourPicker::OnPopupCancelled(COLORREF colour)
{
    m_active = false;
    m_popup = nullptr;
    StoreColour(colour); // undoes what live tracking showed
    emit closeUp(colour, m_id);
    emit selectionCancelled(colour, m_id);
}

int CColourPicker::ArrowWidth() const
{
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

QSize CColourPicker::sizeHint() const
{
    const QFontMetrics fm(font());
    const int w = std::max(fm.horizontalAdvance(text()) + 16, 40) + ArrowWidth() + 2 * kEdge;
    const int h = std::max(fm.height() + 8, 22);
    return {w, h};
}

QSize CColourPicker::minimumSizeHint() const
{
    return {ArrowWidth() + 2 * kEdge + 12, 2 * kEdge + 10};
}

void CColourPicker::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    const bool enabled = isEnabled();
    const QRect all = rect();
    qDrawWinPanel(&p, all, pal, true);

    const QRect inner = all.adjusted(kEdge, kEdge, -kEdge, -kEdge);
    const int arrowWidth = std::min(ArrowWidth(), inner.width());
    const QRect arrow(inner.right() - arrowWidth + 1, inner.top(), arrowWidth, inner.height());
    qDrawWinButton(&p, arrow, pal, m_active, &pal.brush(QPalette::Button));
    QStyleOption arrowOption;
    arrowOption.initFrom(this);
    arrowOption.rect = arrow.adjusted(3, 3, -3, -3).translated(m_active ? 1 : 0, m_active ? 1 : 0);
    arrowOption.state = enabled ? QStyle::State_Enabled : QStyle::State_None;
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrowOption, &p, this);

    const QRect swatch(inner.left(), inner.top(), inner.width() - arrowWidth, inner.height());
    const COLORREF fill = (m_background == kAutomaticColour || !enabled) ? m_default : m_background;
    p.fillRect(swatch, QColorFromRef(fill));

    const QString caption = text();
    if (!caption.isEmpty()) {
        if (enabled) {
            p.setPen(m_text == kAutomaticColour ? pal.color(QPalette::ButtonText) : QColorFromRef(m_text));
            p.drawText(swatch, Qt::AlignCenter, caption);
        } else {
            p.setPen(pal.color(QPalette::Light));
            p.drawText(swatch.translated(1, 1), Qt::AlignCenter, caption);
            p.setPen(pal.color(QPalette::Dark));
            p.drawText(swatch, Qt::AlignCenter, caption);
        }
    }
    if (hasFocus() && swatch.width() > 6) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = swatch.adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}
