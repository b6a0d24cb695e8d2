#pragma once
// The "System" page: "Reset Display", "Memory Cleanup" (after its question) and "Set Time/Date".
// It only asks and signals; the main window runs the action.

#include <QWidget>

class QPushButton;

class CDlgSystemPage : public QWidget {
    Q_OBJECT
public:
    explicit CDlgSystemPage(QWidget* parent = nullptr);

    void EnablePage(bool enable);

signals:
    void resetRequested();
    // Only after the operator answered Yes to the page's question.
    void memoryCleanupRequested();
    void setTimeRequested();

private:
    QPushButton* m_reset = nullptr;
    QPushButton* m_cleanup = nullptr;
    QPushButton* m_setTime = nullptr;
};
