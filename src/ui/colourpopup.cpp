// The colour popup: layout, painting, hot tracking with mouse and keys, and its single ending.
#include "ui/colourpopup.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QToolTip>
#include <qdrawutil.h>

#include <algorithm>
#include <vector>

namespace {
constexpr int kEdge = 2; // the classic 3D edge width the sizes are built from
constexpr int kMinCellSize = 18;
} // namespace

CColourPopup::CColourPopup(QWidget* picker, COLORREF initial, const QString& defaultText,
                           const QString& customText, ColourDialogRunner runner)
    : QWidget(picker, Qt::Popup | Qt::FramelessWindowHint), m_initial(initial), m_defaultText(defaultText),
      m_customText(customText), m_runner(std::move(runner))
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    ComputeLayout();
    m_chosen = InitialHotCell();
    m_hot = m_chosen;
}

QString CColourPopup::ColourName(int index)
{
    if (index < 0 || index >= kColourPaletteSize)
        return {};
    return QString::fromLatin1(kColourPalette[static_cast<std::size_t>(index)].name);
}

void CColourPopup::ComputeLayout()
{
    m_margin = kEdge;
    m_cellSize = std::max(kMinCellSize, 2 * kEdge + 7);

    int boxHeight = 0;
    int textWidth = 0;
    if (!m_defaultText.isEmpty() || !m_customText.isEmpty()) {
        const QFontMetrics fm(font());
        boxHeight = fm.height() + 4 * m_margin + 2;
        textWidth =
            std::max(fm.horizontalAdvance(m_defaultText), fm.horizontalAdvance(m_customText)) + 2 * m_margin;
    }
    const int gridWidth = kColumns * m_cellSize + 2 * m_margin;
    const int width = std::max(gridWidth, textWidth + 2 * m_margin);

    int y = 0;
    if (!m_defaultText.isEmpty()) {
        m_defaultRect = QRect(m_margin, m_margin, width - 2 * m_margin, boxHeight);
        y = m_defaultRect.bottom() + 1;
    }
    m_gridOrigin = QPoint((width - kColumns * m_cellSize) / 2, y + m_margin);
    y = m_gridOrigin.y() + kRows * m_cellSize;
    if (!m_customText.isEmpty()) {
        m_customRect = QRect(m_margin, y + m_margin, width - 2 * m_margin, boxHeight);
        y = m_customRect.bottom() + 1;
    }
    setFixedSize(width, y + m_margin);
}

int CColourPopup::InitialHotCell() const
{
    if (m_initial == kAutomaticColour && !m_defaultText.isEmpty())
        return kHotDefaultBox;
    if (const int index = PaletteIndexOf(m_initial); index >= 0)
        return index;
    return m_customText.isEmpty() ? kHotNone : kHotCustomBox;
}

bool CColourPopup::HasCell(int cell) const
{
    if (cell == kHotDefaultBox)
        return !m_defaultText.isEmpty();
    if (cell == kHotCustomBox)
        return !m_customText.isEmpty();
    return cell >= 0 && cell < kColourPaletteSize;
}

QRect CColourPopup::CellRect(int cell) const
{
    if (cell == kHotDefaultBox)
        return m_defaultRect;
    if (cell == kHotCustomBox)
        return m_customRect;
    if (cell < 0 || cell >= kColourPaletteSize)
        return {};
    return QRect(m_gridOrigin.x() + (cell % kColumns) * m_cellSize,
                 m_gridOrigin.y() + (cell / kColumns) * m_cellSize, m_cellSize, m_cellSize);
}

int CColourPopup::CellAt(const QPoint& pos) const
{
    if (HasCell(kHotDefaultBox) && m_defaultRect.contains(pos))
        return kHotDefaultBox;
    if (HasCell(kHotCustomBox) && m_customRect.contains(pos))
        return kHotCustomBox;
    const QPoint p = pos - m_gridOrigin;
    if (p.x() < 0 || p.y() < 0)
        return kHotNone;
    const int col = p.x() / m_cellSize;
    const int row = p.y() / m_cellSize;
    if (col >= kColumns || row >= kRows)
        return kHotNone;
    const int index = row * kColumns + col;
    return index < kColourPaletteSize ? index : kHotNone;
}

COLORREF CColourPopup::CellColour(int cell) const
{
    if (cell == kHotDefaultBox)
        return kAutomaticColour;
    if (cell >= 0 && cell < kColourPaletteSize)
        return kColourPalette[static_cast<std::size_t>(cell)].colour;
    return m_initial; // the custom box stands for the colour we opened with
}

QPoint CColourPopup::PlaceOnScreen(const QSize& size, const QRect& anchor, const QRect& screen)
{
    QPoint at(anchor.left(), anchor.bottom() + 1);
    if (at.x() + size.width() > screen.right() + 1)
        at.setX(screen.right() + 1 - size.width());
    if (at.x() < screen.left())
        at.setX(screen.left());
    if (at.y() + size.height() > screen.bottom() + 1)
        at.setY(anchor.top() - size.height());
    return at;
}

void CColourPopup::PopUpBelow(const QRect& anchor)
{
    QScreen* screen = QGuiApplication::screenAt(anchor.bottomLeft());
    if (!screen && parentWidget())
        screen = parentWidget()->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(anchor.bottomLeft(), size());
    move(PlaceOnScreen(size(), anchor, area));
    show();
    setFocus(Qt::PopupFocusReason);
}

void CColourPopup::SetHot(int cell)
{
    if (cell == m_hot || !HasCell(cell))
        return;
    update(CellRect(m_hot));
    m_hot = cell;
    update(CellRect(m_hot));
    emit selectionChanged(CellColour(cell));
}

int CColourPopup::Neighbour(int cell, int key) const
{
    const bool hasDefault = HasCell(kHotDefaultBox);
    const bool hasCustom = HasCell(kHotCustomBox);
    const int last = kColourPaletteSize - 1;
    const int lastRowStart = (kRows - 1) * kColumns;
    if (cell == kHotNone)
        return hasDefault ? kHotDefaultBox : 0;

    // Left and right walk the reading order: default box, grid, custom box, then around.
    std::vector<int> order;
    if (hasDefault)
        order.push_back(kHotDefaultBox);
    for (int i = 0; i <= last; ++i)
        order.push_back(i);
    if (hasCustom)
        order.push_back(kHotCustomBox);
    const auto pos = static_cast<int>(std::find(order.begin(), order.end(), cell) - order.begin());
    const int n = static_cast<int>(order.size());

    switch (key) {
    case Qt::Key_Left:
        return order[static_cast<std::size_t>((pos + n - 1) % n)];
    case Qt::Key_Right:
        return order[static_cast<std::size_t>((pos + 1) % n)];
    case Qt::Key_Up:
        if (cell == kHotDefaultBox)
            return hasCustom ? kHotCustomBox : lastRowStart;
        if (cell == kHotCustomBox)
            return lastRowStart;
        if (cell >= kColumns)
            return cell - kColumns;
        if (hasDefault)
            return kHotDefaultBox;
        if (hasCustom)
            return kHotCustomBox;
        return std::min(cell + lastRowStart, last);
    case Qt::Key_Down:
        if (cell == kHotDefaultBox)
            return 0;
        if (cell == kHotCustomBox)
            return hasDefault ? kHotDefaultBox : 0;
        if (cell + kColumns <= last)
            return cell + kColumns;
        if (hasCustom)
            return kHotCustomBox;
        if (hasDefault)
            return kHotDefaultBox;
        return cell % kColumns;
    default:
        break;
    }
    return cell;
}

void CColourPopup::Choose(int cell)
{
    if (cell == kHotCustomBox) {
        RunColourDialog();
        return;
    }
    if (cell == kHotNone) {
        Finish(m_initial, false);
        return;
    }
    Finish(CellColour(cell), true);
}

void CColourPopup::RunColourDialog()
{
    // The dialog is modal: the popup must let go of mouse and keyboard first.
    m_inDialog = true;
    hide();
    std::optional<QColor> picked;
    QPointer<CColourPopup> self(this);
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (m_runner)
        picked = m_runner(QColorFromRef(m_initial), owner);
    if (!self)
        return; // the picker went away while the dialog ran
    m_inDialog = false;
    if (picked && picked->isValid())
        Finish(RefFromQColor(*picked), true);
    else
        Finish(m_initial, false);
}

void CColourPopup::Finish(COLORREF colour, bool ended)
{
    if (m_finished)
        return;
    m_finished = true;
    hide();
    if (ended)
        emit selectionEnded(colour);
    else
        emit selectionCancelled(colour);
    deleteLater();
}

bool CColourPopup::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const int cell = CellAt(help->pos());
        if (cell >= 0)
            QToolTip::showText(help->globalPos(), ColourName(cell), this, CellRect(cell));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void CColourPopup::mouseMoveEvent(QMouseEvent* e)
{
    const int cell = CellAt(e->position().toPoint());
    if (cell != kHotNone)
        SetHot(cell);
}

void CColourPopup::mousePressEvent(QMouseEvent* e)
{
    // A press anywhere outside is how the user dismisses a popup.
    if (!rect().contains(e->position().toPoint()))
        Finish(m_initial, false);
    e->accept();
}

void CColourPopup::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const int cell = CellAt(e->position().toPoint());
    if (cell == kHotNone)
        return;
    SetHot(cell);
    Choose(cell);
}

void CColourPopup::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        SetHot(Neighbour(m_hot, e->key()));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Choose(m_hot);
        break;
    case Qt::Key_Escape:
        Finish(m_initial, false);
        break;
    default:
        e->ignore();
        return;
    }
    e->accept();
}

void CColourPopup::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    // Qt closes popups itself (a click outside, the window losing focus); that is a cancel.
    if (!m_finished && !m_inDialog)
        Finish(m_initial, false);
}

void CColourPopup::PaintTextBox(QPainter& p, int cell, const QString& text)
{
    const QRect r = CellRect(cell);
    const QPalette& pal = palette();
    QColor textColour = pal.color(QPalette::ButtonText);
    if (cell == m_hot) {
        p.fillRect(r, pal.color(QPalette::Highlight));
        qDrawShadeRect(&p, r, pal, false, 1);
        textColour = pal.color(QPalette::HighlightedText);
    } else if (cell == m_chosen) {
        qDrawShadeRect(&p, r, pal, true, 1);
    }
    p.setPen(textColour);
    p.drawText(r, Qt::AlignCenter, text);
}

void CColourPopup::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Button));
    qDrawWinPanel(&p, rect(), pal, false);

    for (int i = 0; i < kColourPaletteSize; ++i) {
        const QRect r = CellRect(i);
        if (i == m_hot) {
            p.fillRect(r, pal.color(QPalette::Highlight));
            qDrawShadeRect(&p, r, pal, false, 1);
        } else if (i == m_chosen) {
            p.fillRect(r, pal.color(QPalette::Light));
            qDrawShadeRect(&p, r, pal, true, 1);
        }
        const QRect swatch = r.adjusted(m_margin + 1, m_margin + 1, -(m_margin + 1), -(m_margin + 1));
        p.fillRect(swatch, QColorFromRef(kColourPalette[static_cast<std::size_t>(i)].colour));
        p.setPen(pal.color(QPalette::Shadow));
        p.setBrush(Qt::NoBrush);
        p.drawRect(swatch.adjusted(0, 0, -1, -1));
    }
    if (HasCell(kHotDefaultBox))
        PaintTextBox(p, kHotDefaultBox, m_defaultText);
    if (HasCell(kHotCustomBox))
        PaintTextBox(p, kHotCustomBox, m_customText);
}
