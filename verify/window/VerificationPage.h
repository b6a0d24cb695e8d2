#pragma once
// The "Verification Test" page: its two texts and "Start Wizard...". The wizard itself comes with
// a later version; until then the button says so.

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
