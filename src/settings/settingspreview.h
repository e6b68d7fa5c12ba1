// SettingsPreview: the sample page of the display settings, drawn as the reading view draws a book.
#pragma once

#include <QImage>
#include <QSize>
#include <QWidget>
#include <memory>

class TextBuffer;

// Holds a text of its own ("测试文字" repeated) and shows its first page with the live settings, so a
// change can be judged before it is kept.
class SettingsPreview : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsPreview(QWidget* parent = nullptr);
    ~SettingsPreview() override;

    // Page size and spread for the current client size and settings, then pagination.
    void Repaginate();
    // Recomputes the page size; re-paginates only when it changed. Returns whether it did.
    bool UpdatePageSize();

    QSize PageSize() const { return m_pageSize; }
    bool IsSpread() const { return m_spread; }
    int PageCount() const;
    const TextBuffer* Buffer() const { return m_buffer.get(); }
    // What paintEvent draws.
    QImage Picture() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The sample: U+FEFF and the word repeated as often as it fits in 10,479 units.
    static std::u16string SampleText();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<TextBuffer> m_buffer;
    QSize m_pageSize{0, 0};
    bool m_spread = false;
};
