#pragma once
// The "Verification Test" page: its two texts and "Start Wizard...", which asks the main window to
// run the verification test wizard.

#include <QWidget>

class QPushButton;

class CDlgVerificationPage : public QWidget {
    Q_OBJECT
public:
    explicit CDlgVerificationPage(QWidget* parent = nullptr);

    void EnablePage(bool enable);

signals:
    void startWizardRequested();

private:
    QPushButton* m_start = nullptr;
};
