// Renders every page of the verification test wizard for the README, run on the offscreen platform:
//
//   QT_QPA_PLATFORM=offscreen qvx_wizard_screenshots <folder>
//
// writes wizard-<n>-<page>.png: the whole run on a standard 32 x 80 display connected to the
// stand-in controller (both messages sent, the factory messages restored), then the pages a display
// that is not standard adds or changes, and a hold time refused. Exit status 0 when every picture was written.
#include "WizardRig.h"

#include "qtwindow/verify/VerificationTestWizard.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QDir>
#include <QLineEdit>

#include <iostream>

namespace {

class CShots {
public:
    explicit CShots(const QDir& folder) : m_folder(folder) {}

    void Save(QWidget& wizard, const char* page)
    {
        QApplication::processEvents();
        const QString name = QStringLiteral("wizard-%1-%2.png").arg(++m_nNumber).arg(QString::fromLatin1(page));
        const QString path = m_folder.filePath(name);
        if (wizard.grab().save(path, "PNG")) {
            std::cout << path.toStdString() << "\n";
        } else {
            std::cerr << "could not write " << path.toStdString() << "\n";
            m_bFailed = true;
        }
    }
    bool Failed() const { return m_bFailed; }

private:
    QDir m_folder;
    int m_nNumber = 0;
    bool m_bFailed = false;
};

void Click(QWidget& wizard, const char* name)
{
    if (auto* button = wizard.findChild<QAbstractButton*>(QString::fromLatin1(name)))
        button->click();
}

// A standard display, every step carried out.
bool ShootStandard(CShots& shots)
{
    CWizardRig rig;
    const std::string error = rig.Connect("32X80MONO64.CRV.M2", "FX40529.RBF-004", "FX40211-1.02.11");
    if (!error.empty()) {
        std::cerr << error << "\n";
        return false;
    }
    CVerificationTestWizard wizard(*rig.core, CWizardRig::kAddress, ConnectedVerificationDisplay(*rig.core));
    wizard.show();
    shots.Save(wizard, "message-one");
    Click(wizard, "sendMessageOne");
    shots.Save(wizard, "message-one-check");
    wizard.next();
    if (auto* store = wizard.findChild<QLineEdit*>(QStringLiteral("storeNumber")))
        store->setText(QStringLiteral("4711"));
    shots.Save(wizard, "message-two");
    Click(wizard, "sendMessageTwo");
    shots.Save(wizard, "message-two-check");
    wizard.next();
    shots.Save(wizard, "factory-messages");
    Click(wizard, "restore");
    shots.Save(wizard, "factory-restored");
    return true;
}

// A display that is not standard: its warning page and the factory page's warning. Nothing is sent.
void ShootNotStandard(CShots& shots)
{
    CWizardRig rig;
    CVerificationTestWizard wizard(*rig.core, CWizardRig::kAddress, VerificationDisplay{144, 48, 6, false, false});
    wizard.show();
    shots.Save(wizard, "not-standard");
    while (wizard.currentId() != CVerificationTestWizard::FactoryPage && wizard.nextId() != -1)
        wizard.next();
    shots.Save(wizard, "factory-warning");
    // A hold time out of its range, refused beside the box.
    if (auto* hold = wizard.findChild<QAbstractSpinBox*>(QStringLiteral("holdTime"))) {
        hold->findChild<QLineEdit*>()->setText(QStringLiteral("0"));
        shots.Save(wizard, "hold-time-refused");
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: qvx_wizard_screenshots <folder>\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::cerr << "cannot make " << argv[1] << "\n";
        return 1;
    }
    CShots shots(folder);
    const bool connected = ShootStandard(shots);
    ShootNotStandard(shots);
    return connected && !shots.Failed() ? 0 : 1;
}
