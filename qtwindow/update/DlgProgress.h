#pragma once
// The "Communicating" progress window of every long operation: a text line, a bar that moves in
// steps (the firmware download) or a running indicator (everything else), and "&Abort". It
// belongs to the window's thread: workers reach it through the window's queued calls.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class CDlgProgress : public QDialog {
    Q_OBJECT
public:
    // stepped: a bar from 0 to 20 in steps of stepSize (until SetSteps); else a running indicator.
    CDlgProgress(QWidget* parent, bool stepped, int stepSize = 5);

    bool IsStepped() const { return m_bStepped; }
    void SetText(const QString& text);
    // The bar's upper end; a running indicator ignores it.
    void SetSteps(int steps);
    // One step forward; a running indicator ignores it.
    void Step();
    void EnableAbort(bool enable);
    // The worker has ended: the window closes (accepted).
    void Finish();

    QString Text() const;
    QProgressBar* Bar() const { return m_bar; }
    QPushButton* AbortButton() const { return m_abort; }

signals:
    // "&Abort" was pressed; the window then closes (rejected).
    void abortRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override; // Esc is Abort while Abort is enabled; Enter does nothing
    void closeEvent(QCloseEvent* event) override;   // the title bar's close likewise

private:
    // Abort while it is enabled: tell the main window, then close (rejected).
    void OnAbort();

    bool m_bStepped;
    int m_nStepSize;
    bool m_bEnding = false; // Finish or Abort has closed the window
    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_abort = nullptr;
};
