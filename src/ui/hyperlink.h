// CHyperLink: a text label that looks and acts like a web link.
#pragma once

#include "settings/parablock.h"

#include <QCursor>
#include <QLabel>
#include <QUrl>
#include <functional>
#include <optional>

// Drawn in link colours and underlined; highlights while the mouse is over it, shows its target as
// a tooltip and opens the target with the desktop's handler when clicked.
class CHyperLink : public QLabel
{
    Q_OBJECT

public:
    // Hands a URL to the desktop; true when it was opened.
    using Opener = std::function<bool(const QUrl&)>;

    static constexpr COLORREF kLinkColour = 0xEE0000;
    static constexpr COLORREF kVisitedColour = 9116245;

    explicit CHyperLink(QWidget* parent = nullptr);
    explicit CHyperLink(const QString& text, QWidget* parent = nullptr);

    void AssignLinkTarget(const QString& target);
    QString LinkTarget() const { return m_target; }

    void AssignLinkColour(COLORREF colour);
    void AssignVisitedColour(COLORREF colour);
    void AssignHoverColour(COLORREF colour);
    void AssignUnderline(bool on);
    // Shown while the mouse is over the link; none by default.
    void AssignLinkCursor(std::optional<QCursor> cursor);
    void SetOpener(Opener opener);

    bool IsOver() const { return m_over; }
    bool IsVisited() const { return m_visited; }
    // The colour the text is drawn in right now.
    COLORREF TextColour() const;

    // Opens the target; on failure beeps and tells the user why. Returns whether it opened.
    bool OpenTarget();
    // Opens `target`; a value above 32 is success, otherwise one of the failure codes below.
    static int OpenWith(const QString& target, const Opener& opener);
    // The user's text for a failure code.
    static QString OpenErrorText(int result);

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void Init();
    void SetOver(bool over);
    void ApplyLook();

    QString m_target;
    COLORREF m_linkColour = kLinkColour;
    COLORREF m_visitedColour = kVisitedColour;
    std::optional<COLORREF> m_hoverColour; // the palette's highlight unless set
    bool m_over = false;
    bool m_visited = false;
    bool m_underline = true;
    std::optional<QCursor> m_cursor;
    Opener m_opener;
    bool m_applying = false;
};
