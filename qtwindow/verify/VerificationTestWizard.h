#pragma once
// The verification test wizard: walks the technician through the paper verification form on the
// connected display. Message one fills every text row, a page asks for a photo of it; message two
// shows the store number, date and temperature, another page asks for a photo; then the display's
// own messages are wiped and the factory messages restored. Only Finish (after the restore) ends
// with the display to be disconnected.
//
// While the wizard is open it holds a CVerificationTest: the link's listener is the test's, the
// core's keep-alive rests and the wizard's own (a window timer) refreshes the connection. Steps run
// as core jobs, i.e. behind the view's progress window; the wizard goes on whatever the link did.
// The link is handed back as soon as the wizard closes.

#include "verify/VerificationDisplay.h"

#include <QWizard>

#include <memory>

class CInstallerCore;
class CVerificationTest;

enum class WizardEnd { Finished, Cancelled };

// Shows the wizard modally for the display the core is connected to (its sign type, module type and
// firmware line). Finished: the caller disconnects the display; Cancelled: the connection stays.
WizardEnd RunVerificationWizard(QWidget* parent, CInstallerCore& core, int address);

class CVerificationTestWizard : public QWizard {
    Q_OBJECT
public:
    static constexpr char kCaption[] = "QVXFirmInstaller";
    static constexpr char kSheetTitle[] = "Pellworth LED Reader Board Verification Test";

    // The pages, in order; the first only for a display that is not standard.
    enum PageId { NotStandardPage, MessageOnePage, MessageOneCheckPage, MessageTwoPage, MessageTwoCheckPage,
                  FactoryPage };

    // Takes the core's link until the wizard closes. Construct and destroy it outside core jobs.
    CVerificationTestWizard(CInstallerCore& core, int address, const VerificationDisplay& display,
                            QWidget* parent = nullptr);
    ~CVerificationTestWizard() override;

    bool IsNotStandardDisplay() const { return m_bNotStandard; }
    bool IsHoldTimeEditable() const { return m_bHoldTimeEditable; }
    bool IsMonochrome() const { return m_bMonochrome; }

    // The pages' steps; each returns once its job has ended (nothing once the wizard has closed).
    void SendMessageOne();
    void SendMessageTwo(const QString& storeNumber);
    void RestoreFactoryMessages(unsigned long holdTimeMs);

    void done(int result) override;

signals:
    // A step's job has ended (tests wait on it).
    void stepFinished();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Gives the link back to the core: the previous listener, told it is idle.
    void ReleaseLink();

    CInstallerCore& m_core;
    VerificationDisplay m_display;
    std::unique_ptr<CVerificationTest> m_test;
    QWizardPage* m_checkTwo = nullptr; // message two's check page, whose picture follows each send
    bool m_bNotStandard;
    bool m_bHoldTimeEditable;
    bool m_bMonochrome;
    bool m_bTitled = false;
};
