// CSizingControlBar: a dock pane that remembers one size per docking state.
#pragma once

#include <QDockWidget>
#include <QSize>

class IniDocument;
class IniFile;
class QMainWindow;

// Docked at the top or bottom the pane is "horizontal", at the left or right "vertical", and it can
// float in a window of its own. Each state keeps the size the user last gave the pane in it, never
// below its minimum, and gets it back whenever the pane returns to that state. The inner edge is
// dragged with the main window's separator.
class CSizingControlBar : public QDockWidget
{
    Q_OBJECT
public:
    enum class DockState
    {
        Horizontal,
        Vertical,
        Floating,
    };

    static constexpr QSize kDefaultSize{200, 200};
    static constexpr QSize kMinHorz{33, 32};
    static constexpr QSize kMinVert{33, 32};
    static constexpr QSize kMinFloat{37, 32};
    // Stored values above this are taken as this.
    static constexpr int kMaxDimension = 32767;

    CSizingControlBar(const QString& title, QWidget* parent, int barId);

    int BarId() const { return m_barId; }
    QSize SizeHorz() const { return m_sizeHorz; }
    QSize SizeVert() const { return m_sizeVert; }
    QSize SizeFloat() const { return m_sizeFloat; }
    // Values below the state's minimum become the minimum.
    void SetSizeHorz(QSize size);
    void SetSizeVert(QSize size);
    void SetSizeFloat(QSize size);

    // The state the pane is in now (vertical while it is not docked anywhere yet).
    DockState CurrentState() const;
    // Gives the pane the size remembered for its current state.
    void ApplyStoredSize();

    // "<prefix>-SCBar-<id>" in the settings file: the six sizes. Missing entries keep the current
    // values.
    virtual void LoadPaneState(const QString& prefix);
    virtual void SavePaneState(const QString& prefix);
    QString SectionName(const QString& prefix) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    QMainWindow* MainWindow() const;

    void ReadSizes(const IniDocument& doc, const QString& section);
    void WriteSizes(IniFile& ini, const QString& section) const;
    // After the pane settled in a new state and got that state's size.
    virtual void OnDockStateChanged(DockState state) { (void)state; }
    // Takes the current state as settled: its size is applied and remembered from now on.
    void Settle();

private:
    void BeginTransition();

    int m_barId;
    QSize m_sizeHorz = kDefaultSize;
    QSize m_sizeVert = kDefaultSize;
    QSize m_sizeFloat = kDefaultSize;
    DockState m_state = DockState::Vertical;
    // While the main window moves the pane to a new state, resizes belong to the old state's
    // layout, not to the user: they are not remembered.
    bool m_settling = false;
};
