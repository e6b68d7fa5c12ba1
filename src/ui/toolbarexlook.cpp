// CToolBarEx: how the buttons look: the image lists for each icon size, the labels and their font.
#include "ui/toolbarex.h"

#include "images/cximage.h"

#include <QAction>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <algorithm>

int CToolBarEx::IconSizeFor(int option)
{
    switch (option) {
    case kIconMedium:
        return 24;
    case kIconLarge:
        return 32;
    default:
        return 16;
    }
}

QPixmap CToolBarEx::ButtonImage(int imageIndex) const
{
    return imageIndex >= 0 && imageIndex < m_normal.size() ? m_normal[imageIndex] : QPixmap();
}

bool CToolBarEx::BuildToolbarImageLists(int size)
{
    const COLORREF face = ColourRefOf(palette().color(QPalette::Button));
    CxImage strip;
    if (m_bitmapId != 0) {
        if (!strip.LoadFromResource(m_bitmapId) || strip.Height() <= 0)
            return false;
        const int count = strip.Width() / strip.Height();
        const ToolbarStrip normal = MakeToolbarStrip(strip, size, count, ToolbarImageKind::Normal, face);
        if (normal.image.isNull())
            return false;
        m_normal = SplitToolbarStrip(normal, size);
        m_hot.clear();
        m_disabled.clear();
        const ToolbarStrip hot = MakeToolbarStrip(strip, size, count, ToolbarImageKind::Hot, face);
        if (hot.image.isNull())
            return true;
        m_hot = SplitToolbarStrip(hot, size);
        const ToolbarStrip disabled = MakeToolbarStrip(strip, size, count, ToolbarImageKind::Disabled, face);
        if (!disabled.image.isNull())
            m_disabled = SplitToolbarStrip(disabled, size);
        return true;
    }
    // Without an icon strip the resource's own small bitmap is stretched to the size.
    if (m_resourceBitmapId == 0 || !strip.LoadFromResource(m_resourceBitmapId) || strip.Height() <= 0)
        return false;
    const int count = std::max(1, static_cast<int>(m_imageOf.size()));
    const QImage stretched =
        strip.ToPlatformBitmap().scaled(size * count, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    ToolbarStrip normal;
    normal.image = stretched.convertToFormat(QImage::Format_RGB32);
    normal.maskColour = normal.image.pixel(0, 0);
    m_normal = SplitToolbarStrip(normal, size);
    m_hot.clear();
    m_disabled.clear();
    return !m_normal.isEmpty();
}

void CToolBarEx::ApplyIcons()
{
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it) {
        const int index = m_imageOf.value(it.key(), -1);
        QIcon icon;
        if (index >= 0 && index < m_normal.size()) {
            icon.addPixmap(m_normal[index], QIcon::Normal);
            if (index < m_hot.size())
                icon.addPixmap(m_hot[index], QIcon::Active);
            if (index < m_disabled.size())
                icon.addPixmap(m_disabled[index], QIcon::Disabled);
        }
        it.value()->setIcon(icon);
    }
}

void CToolBarEx::ChooseIconOption(int option, bool relayout)
{
    if (option < kIconSmall || option > kIconLarge)
        return;
    const int size = IconSizeFor(option);
    // A strip that cannot be read leaves the previous images in place.
    BuildToolbarImageLists(size);
    m_iconOption = option;
    m_iconSize = size;
    ApplyIcons();
    setIconSize(QSize(size, size));
    if (relayout)
        Relayout();
    emit layoutChanged();
}

void CToolBarEx::ApplyTextToButtons()
{
    for (ToolbarButton& e : m_table) {
        if (e.commandId == 0 || !m_layout.contains(e.commandId))
            continue;
        switch (m_textOption) {
        case kTextRight:
            e.style = ToolbarBits::StyleAutoSize | ToolbarBits::StyleShowText;
            break;
        default:
            e.style = ToolbarBits::StyleAutoSize;
            break;
        }
        if (QAction* a = m_buttons.value(e.commandId))
            a->setIconText(e.label);
    }
    switch (m_textOption) {
    case kTextBelow:
        setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        break;
    case kTextRight:
        setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        break;
    default:
        setToolButtonStyle(Qt::ToolButtonIconOnly);
        break;
    }
}

void CToolBarEx::ChooseTextOption(int option, bool relayout)
{
    if (option < kTextBelow || option > kTextNone)
        return;
    m_textOption = option;
    ApplyTextToButtons();
    if (relayout)
        Relayout();
    emit layoutChanged();
}

QFont CToolBarEx::LabelFont(int option)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    if (font.family().isEmpty())
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    int h = QFontInfo(font).pixelSize();
    if (h <= 0)
        h = 12;
    switch (option) {
    case 1:
        h += static_cast<int>(h * 0.25 + 0.5);
        break;
    case 2:
        h += h / 2;
        break;
    case 3:
        h += static_cast<int>(h * 0.75 + 0.5);
        break;
    case 4:
        h *= 2;
        break;
    default:
        break;
    }
    // Family and size set explicitly, so the toolbar does not take them from the window instead.
    font.setFamily(font.family());
    font.setPixelSize(h);
    return font;
}

void CToolBarEx::ChooseTextHeightOption(int option, bool relayout)
{
    if (option < 0 || option >= kTextHeightCount)
        return;
    m_textHeightOption = option;
    setFont(LabelFont(option));
    if (relayout)
        Relayout();
    emit layoutChanged();
}

void CToolBarEx::changeEvent(QEvent* event)
{
    QToolBar::changeEvent(event);
    // New system colours: the images were flattened onto the old button face.
    if (event->type() == QEvent::PaletteChange && m_iconOption >= 0) {
        BuildToolbarImageLists(m_iconSize);
        ApplyIcons();
    }
}
