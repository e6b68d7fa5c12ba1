// The sample page of the display settings: its own text, paginated and composed for the control.
#include "settings/settingspreview.h"

#include "document/textbuffer.h"
#include "layout/readingcomposer.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

namespace {

constexpr std::size_t kSampleRoom = 10479;
constexpr char16_t kWord[] = u"测试文字";
constexpr std::size_t kWordLength = 4;

} // namespace

SettingsPreview::SettingsPreview(QWidget* parent) : QWidget(parent), m_buffer(std::make_unique<TextBuffer>())
{
    setObjectName(QStringLiteral("SettingsPreview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    const std::u16string text = SampleText();
    if (char16_t* units = m_buffer->Allocate(text.size() + 1)) {
        std::copy(text.begin(), text.end(), units);
        units[text.size()] = u'\0';
        m_buffer->SetLength(text.size());
    }
}

SettingsPreview::~SettingsPreview() = default;

std::u16string SettingsPreview::SampleText()
{
    std::u16string text(1, u'\xFEFF');
    const std::size_t repeats = (kSampleRoom - 1) / kWordLength;
    text.reserve(1 + repeats * kWordLength);
    for (std::size_t i = 0; i < repeats; ++i)
        text.append(kWord, kWordLength);
    return text;
}

int SettingsPreview::PageCount() const
{
    return m_buffer->PageCount();
}

void SettingsPreview::Repaginate()
{
    if (size().isEmpty())
        return;
    const ReadingLayout layout = LayOutReadingView(size(), nullptr);
    // A book too small for one cell keeps the last good page size.
    if (!layout.pageSize.isEmpty()) {
        m_pageSize = layout.pageSize;
        m_spread = layout.spread;
    }
    if (!m_pageSize.isEmpty())
        m_buffer->Paginate(m_pageSize);
}

bool SettingsPreview::UpdatePageSize()
{
    if (size().isEmpty())
        return false;
    const ReadingLayout layout = LayOutReadingView(size(), nullptr);
    if (layout.pageSize.isEmpty() || (layout.pageSize == m_pageSize && layout.spread == m_spread))
        return false;
    m_pageSize = layout.pageSize;
    m_spread = layout.spread;
    m_buffer->Paginate(m_pageSize);
    return true;
}

QImage SettingsPreview::Picture() const
{
    QImage image;
    if (!m_pageSize.isEmpty())
        image = ComposeReadingPicture(size(), m_buffer.get(), m_pageSize, m_spread, 0, devicePixelRatioF());
    if (image.isNull()) {
        image = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        image.fill(Qt::black);
    }
    return image;
}

QSize SettingsPreview::sizeHint() const
{
    return {560, 420};
}

QSize SettingsPreview::minimumSizeHint() const
{
    return {240, 180};
}

void SettingsPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Picture());
}

void SettingsPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdatePageSize();
}
