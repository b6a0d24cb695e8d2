// The verification test wizard against the stand-in controller: pages, texts and buttons as the
// technician meets them, what the controller holds after each step, the hold-time box, the link
// handed back on Cancel and a controller that does not answer. The core's view runs steps inline.
#include "WizardRig.h"

#include "res/Resources.h"
#include "res/verify/VerifyResources.h"
#include "verify/FactoryMessages.h"
#include "verify/VerificationMessages.h"
#include "verify/window/VerificationTestWizard.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <functional>

namespace {

using Wizard = CVerificationTestWizard;

const char kMono32x80[] = "32X80MONO64.CRV.M2";
const char kMainModule[] = "FX40529.RBF-004";
const char kMainFirmware[] = "FX40211-1.02.11";
const char kLineFirmware[] = "FP9023417-3.11.3";

template <class T = QWidget>
T* Find(QWidget* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QString Text(QWidget* wizard, const char* name)
{
    return Find<QLabel>(wizard, name)->text();
}

void Click(QWidget* wizard, const char* name)
{
    QTest::mouseClick(Find<QAbstractButton>(wizard, name), Qt::LeftButton);
}

void Press(QWizard* wizard, QWizard::WizardButton which)
{
    QTest::mouseClick(wizard->button(which), Qt::LeftButton);
}

struct Buttons {
    bool back, next, finishShown, finish;
    friend bool operator==(const Buttons&, const Buttons&) = default;
};

Buttons ButtonsOf(QWizard* wizard)
{
    return {wizard->button(QWizard::BackButton)->isEnabled(),
            wizard->button(QWizard::NextButton)->isVisible() && wizard->button(QWizard::NextButton)->isEnabled(),
            wizard->button(QWizard::FinishButton)->isVisible(), wizard->button(QWizard::FinishButton)->isEnabled()};
}

// The embedded picture, to compare with what a page shows.
QImage Picture(int id)
{
    const auto bytes = qvxres::FindEmbeddedResource(qvxres::verify::kPictureType, id);
    return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()), "PNG").convertToFormat(QImage::Format_ARGB32);
}

QImage Shown(QWidget* wizard, const char* name)
{
    return Find<QLabel>(wizard, name)->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
}

void ClearHoldBox(QWidget* wizard)
{
    Find<QAbstractSpinBox>(wizard, "holdTime")->findChild<QLineEdit*>()->clear();
}

// Every stored name a restore leaves on a 32 x 80 monochrome display, as the controller lists them:
// the HITECH set and the configuration, which a wipe keeps.
std::vector<std::string> HitechSet32x80Mono()
{
    std::vector<std::string> names;
    for (int message = 0; message < kHitechMessageCount; ++message)
        names.push_back(HitechMessageFileName(message));
    names.insert(names.end(), {"CONFIG.XML", "HTCH\\16X16N.CFF", "PLAYORDER.DAT", "PLAYSTATUS.DAT"});
    for (std::string& name : names)
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    std::sort(names.begin(), names.end());
    return names;
}

// Names or texts as one line, so that a failure shows them.
QString Joined(const std::vector<std::string>& items)
{
    QStringList texts;
    for (const std::string& item : items)
        texts << QString::fromStdString(item);
    return texts.join(QStringLiteral(", "));
}

std::vector<std::string> Steps(const CCapturingView& view)
{
    std::vector<std::string> steps = view.progressTexts;
    std::erase(steps, "Refreshing sign connection"); // the keep-alive may come between
    return steps;
}

// Drives a wizard that RunVerificationWizard shows modally; a drive that stops early cancels it,
// so that the run always ends.
void DriveModal(const std::function<void(Wizard*)>& drive)
{
    QTimer::singleShot(0, [drive] {
        auto* wizard = qobject_cast<Wizard*>(QApplication::activeModalWidget());
        if (!wizard)
            qFatal("no wizard on screen");
        drive(wizard);
        if (wizard->isVisible())
            wizard->reject();
    });
}

} // namespace

class WizardTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_rig = std::make_unique<CWizardRig>(); }
    void cleanup() { m_rig.reset(); }

    void StandardDisplayWholeWizard();
    void NotStandardDisplayWarnsAndSkipsTheFactorySet();
    void WindowedDisplayOnTheFirmwareLine();
    void HoldTimeRules_data();
    void HoldTimeRules();
    void HoldTimeArrowsStayInRange();
    void CancelKeepsTheConnectionAndHandsTheLinkBack();
    void SilentControllerDoesNotStopTheWizard();

private:
    void Connect(const char* type, const char* module, const char* firmware)
    {
        const std::string error = m_rig->Connect(type, module, firmware);
        QVERIFY2(error.empty(), error.c_str());
    }
    std::unique_ptr<Wizard> Open()
    {
        auto wizard = std::make_unique<Wizard>(*m_rig->core, CWizardRig::kAddress,
                                               ConnectedVerificationDisplay(*m_rig->core));
        wizard->show();
        return wizard;
    }
    // From message one to the factory page, sending both messages.
    static void ToFactoryPage(Wizard* wizard, const char* store = "4711")
    {
        Click(wizard, "sendMessageOne");
        Press(wizard, QWizard::NextButton);
        QTest::keyClicks(Find(wizard, "storeNumber"), QString::fromLatin1(store));
        Click(wizard, "sendMessageTwo");
        Press(wizard, QWizard::NextButton);
    }

    std::unique_ptr<CWizardRig> m_rig;
};

void WizardTest::StandardDisplayWholeWizard()
{
    Connect(kMono32x80, kMainModule, kMainFirmware);
    IPTANetListener* const coreListener = m_rig->core->Link().GetListener();
    CWizardRig& rig = *m_rig;

    DriveModal([&rig](Wizard* wizard) {
        QCOMPARE(wizard->windowTitle(), QStringLiteral("Pellworth LED Reader Board Verification Test"));
        QCOMPARE(wizard->wizardStyle(), QWizard::ClassicStyle);
        QVERIFY(!wizard->button(QWizard::HelpButton)->isVisible());
        QVERIFY(!wizard->page(Wizard::NotStandardPage));
        QVERIFY(!rig.coreTimer.armed); // the core's keep-alive rests while the wizard runs

        // Message one: no way on but "Send Message".
        QCOMPARE(wizard->currentId(), int(Wizard::MessageOnePage));
        QCOMPARE(wizard->currentPage()->title(),
                 QStringLiteral("Establish reader board communication with message one"));
        QCOMPARE(Text(wizard, "messageOneIntro"),
                 QStringLiteral("Click the \"Send Message\" button to send message one to the sign.  The message "
                                "will contain the following content:"));
        QCOMPARE(Text(wizard, "messageOneLines"),
                 QStringLiteral("- Line One:  1111111111111 (Entire row is filled with the number one)\n"
                                "- Line Two:  2222222222222 (Entire row is filled with the number two)\n"
                                "- Line Three:  3333333333333 (Entire row is filled with the number three)"));
        QCOMPARE(ButtonsOf(wizard), (Buttons{false, false, false, false}));
        QVERIFY(wizard->button(QWizard::CancelButton)->isEnabled());
        Click(wizard, "sendMessageOne");
        QCOMPARE(rig.Stored("MsgOne.M2M"), BuildMessageOne(80, 32, 6, false, false));
        QCOMPARE(rig.Showing(), std::string("MSGONE.M2M"));

        QCOMPARE(wizard->currentId(), int(Wizard::MessageOneCheckPage));
        QCOMPARE(wizard->currentPage()->title(),
                 QStringLiteral("Verify Text Orientation and LED panels with message one"));
        QCOMPARE(Text(wizard, "messageOneCheck"),
                 QStringLiteral("Verify that the sign is showing message one correctly by taking a photo.  The "
                                "sign should display something like the following:"));
        QCOMPARE(Shown(wizard, "messageOnePicture"),
                 Picture(qvxres::verify::kPictureMessageOneAmber));
        QCOMPARE(ButtonsOf(wizard), (Buttons{true, true, false, false}));
        Press(wizard, QWizard::NextButton);

        // Message two: "Send Message" only with a store number, which takes digits only.
        QCOMPARE(wizard->currentId(), int(Wizard::MessageTwoPage));
        QCOMPARE(Text(wizard, "messageTwoIntro"),
                 QStringLiteral("Enter the store number and click the \"Send Message\" button to send message two "
                                "to the sign.  The message will contain the following content:"));
        QCOMPARE(Text(wizard, "storeLine") + Text(wizard, "dateLine") + Text(wizard, "temperatureLine"),
                 QStringLiteral("- Line One:  Store Number- Line Two:  Date- Line Three:  Temperature"));
        QCOMPARE(ButtonsOf(wizard), (Buttons{true, false, false, false}));
        auto* send = Find<QPushButton>(wizard, "sendMessageTwo");
        QVERIFY(!send->isEnabled());
        QCOMPARE(wizard->currentPage()->focusWidget(), Find(wizard, "storeNumber"));
        QTest::keyClicks(Find(wizard, "storeNumber"), QStringLiteral("47a-1 1"));
        QCOMPARE(Find<QLineEdit>(wizard, "storeNumber")->text(), QStringLiteral("4711"));
        QVERIFY(send->isEnabled());
        QTest::mouseClick(send, Qt::LeftButton);
        const std::string two = rig.Stored("MsgTwo.M2M");
        QVERIFY(two.find("Store: 4711<BR/>") != std::string::npos);
        QCOMPARE(rig.Showing(), std::string("MSGTWO.M2M"));

        QCOMPARE(wizard->currentId(), int(Wizard::MessageTwoCheckPage));
        QCOMPARE(Shown(wizard, "messageTwoPicture"),
                 Picture(qvxres::verify::kPictureMessageTwoAmber));
        QCOMPARE(ButtonsOf(wizard), (Buttons{true, true, false, false}));
        Press(wizard, QWizard::NextButton);

        // The factory page: no way back, Finish only after "Restore".
        QCOMPARE(wizard->currentId(), int(Wizard::FactoryPage));
        QCOMPARE(wizard->currentPage()->title(), QStringLiteral("Restore Factory Pre-loaded messages"));
        QCOMPARE(Text(wizard, "factoryMessages"),
                 QStringLiteral("- Opening Soon\n- Now Hiring\n- Flexibile Hours\n- Opening Soon\n- Great Benefits\n"
                                "- Paid Vacation\n- Opening Soon\n- Join our Team"));
        QVERIFY(!Find(wizard, "factoryWarning")->isVisible());
        QCOMPARE(ButtonsOf(wizard), (Buttons{false, false, true, false}));
        auto* value = Find<QAbstractSpinBox>(wizard, "holdTime");
        auto* unit = Find<QComboBox>(wizard, "holdUnit");
        QCOMPARE(value->text(), QStringLiteral("15"));
        QCOMPARE(unit->currentText(), QStringLiteral("min"));
        QVERIFY(value->isEnabled() && unit->isEnabled());
        Click(wizard, "restore");

        QCOMPARE(Joined(rig.Names()), Joined(HitechSet32x80Mono())); // both messages and their font wiped
        const std::vector<unsigned char> order = BuildPlayOrder(900000);
        QCOMPARE(rig.Stored("PLAYORDER.DAT"), std::string(order.begin(), order.end()));
        QVERIFY(!Find(wizard, "restore")->isEnabled());
        QVERIFY(!value->isEnabled() && !unit->isEnabled());
        QCOMPARE(ButtonsOf(wizard), (Buttons{false, false, true, true}));
        Press(wizard, QWizard::FinishButton);
    });
    QCOMPARE(RunVerificationWizard(nullptr, *m_rig->core, CWizardRig::kAddress), WizardEnd::Finished);

    QCOMPARE(Joined(Steps(m_rig->view)),
             QStringLiteral("Sending Verification Message 1, Sending Verification Message 2, Restoring Factory Messages"));
    QCOMPARE(m_rig->core->Link().GetListener(), coreListener);
    QVERIFY(m_rig->coreTimer.armed);
}

void WizardTest::NotStandardDisplayWarnsAndSkipsTheFactorySet()
{
    Connect("48X144MONO64.CRV.M2", kMainModule, kMainFirmware); // 48 x 144 is never standard in monochrome
    auto wizard = Open();

    QCOMPARE(wizard->currentId(), int(Wizard::NotStandardPage));
    QCOMPARE(wizard->currentPage()->title(), QStringLiteral("Connected display is not a standard display"));
    QCOMPARE(Text(wizard.get(), "notStandardIntro"),
             QStringLiteral("WARNING!!  This display is not one of the standard displays.  The standard displays "
                            "are the following:"));
    QCOMPARE(Text(wizard.get(), "standardDisplays"),
             QStringLiteral("32x80 Monochrome or RGB\n32x128 Monochrome or RGB\n48x160 Monochrome or RGB\n"
                            "64x224 Monochrome or RGB"));
    QCOMPARE(Text(wizard.get(), "notStandardChoices"),
             QStringLiteral("1.  Press \"Cancel\"  to exit the wizard   OR\n"
                            "2.  Press \"Next\" to continue the wizard, but skip unsupported steps"));
    QCOMPARE(ButtonsOf(wizard.get()), (Buttons{false, true, false, false}));
    Press(wizard.get(), QWizard::NextButton);

    QCOMPARE(wizard->currentId(), int(Wizard::MessageOnePage));
    QCOMPARE(ButtonsOf(wizard.get()), (Buttons{true, false, false, false})); // back to the warning
    ToFactoryPage(wizard.get());
    QCOMPARE(m_rig->Stored("MsgOne.M2M"), BuildMessageOne(144, 48, 6, false, false));

    QCOMPARE(wizard->currentId(), int(Wizard::FactoryPage));
    QVERIFY(Find(wizard.get(), "factoryWarning")->isVisible());
    QCOMPARE(Find<QGroupBox>(wizard.get(), "factoryWarning")->title(), QStringLiteral("WARNING!!"));
    QCOMPARE(Text(wizard.get(), "factoryWarningText"),
             QStringLiteral("These messages will not be loaded to the display since it is not one of the standard "
                            "displays."));
    Click(wizard.get(), "restore");
    // Wiped, and no set of its type to send.
    QCOMPARE(Joined(m_rig->Names()), QStringLiteral("CONFIG.XML"));
    QCOMPARE(ButtonsOf(wizard.get()), (Buttons{false, false, true, true}));
}

void WizardTest::WindowedDisplayOnTheFirmwareLine()
{
    Connect("48X144RGB16M.CRV.M2", "FX40158.RBF-001", kLineFirmware);
    auto wizard = Open();

    QCOMPARE(wizard->currentId(), int(Wizard::MessageOnePage)); // standard on the firmware line
    ToFactoryPage(wizard.get(), "12");
    const std::string one = m_rig->Stored("MsgOne.M2M");
    QCOMPARE(one, BuildMessageOne(144, 48, 24, true, true));
    QVERIFY(one.find("x=\"64\" y=\"0\" h=\"32\" w=\"80\"") != std::string::npos);
    QCOMPARE(m_rig->Stored("MsgTwo.M2M"), BuildMessageTwo(144, 48, 24, true, true, "12"));
    QCOMPARE(Shown(wizard.get(), "messageOnePicture"),
             Picture(qvxres::verify::kPictureMessageOneWhite));

    // The package set times itself: the hold time is not the technician's.
    QVERIFY(!Find(wizard.get(), "holdTime")->isEnabled());
    QVERIFY(!Find(wizard.get(), "holdUnit")->isEnabled());
    QVERIFY(!Find(wizard.get(), "factoryWarning")->isVisible());
    Click(wizard.get(), "restore");
    QCOMPARE(m_rig->Stored("JOIN OUR TEAM.M2M"), BuildPackageMessage(PackageDisplay::Rgb48x144, 4));
    QCOMPARE(m_rig->Showing(), std::string("JOIN OUR TEAM.M2M"));
    QVERIFY(m_rig->Stored("MsgOne.M2M").empty());
}

void WizardTest::HoldTimeRules_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("units"); // chosen one after the other
    QTest::addColumn<QString>("shown");     // in the box before "Restore"
    QTest::addColumn<QString>("restored");  // in the box after it
    QTest::addColumn<QString>("unit");      // after it
    QTest::addColumn<unsigned long>("ms");

    QTest::newRow("15 min to sec") << "15" << QStringList{"sec"} << "900" << "900" << "sec" << 900000ul;
    QTest::newRow("and back") << "15" << QStringList{"sec", "min"} << "15" << "15" << "min" << 900000ul;
    QTest::newRow("15 min to hr is 0, read as 1") << "15" << QStringList{"hr"} << "0" << "1" << "hr" << 3600000ul;
    QTest::newRow("0 min is 1 min") << "0" << QStringList{} << "0" << "1" << "min" << 60000ul;
    QTest::newRow("above a day") << "2000" << QStringList{} << "2000" << "1440" << "min" << 86400000ul;
    QTest::newRow("empty is 15 min") << "" << QStringList{"sec"} << "" << "" << "min" << 900000ul;
}

void WizardTest::HoldTimeRules()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, units);
    QFETCH(QString, shown);
    QFETCH(QString, restored);
    QFETCH(QString, unit);
    QFETCH(unsigned long, ms);

    Connect(kMono32x80, kMainModule, kMainFirmware);
    auto wizard = Open();
    wizard->next();
    wizard->next();
    wizard->next();
    wizard->next();
    QCOMPARE(wizard->currentId(), int(Wizard::FactoryPage));

    auto* value = Find<QAbstractSpinBox>(wizard.get(), "holdTime");
    auto* unitList = Find<QComboBox>(wizard.get(), "holdUnit");
    ClearHoldBox(wizard.get());
    QTest::keyClicks(value, typed);
    for (const QString& choice : units)
        unitList->setCurrentText(choice);
    QCOMPARE(value->text(), shown);

    Click(wizard.get(), "restore");
    QCOMPARE(value->text(), restored);
    QCOMPARE(unitList->currentText(), unit);
    const std::vector<unsigned char> order = BuildPlayOrder(ms);
    QCOMPARE(m_rig->Stored("PLAYORDER.DAT"), std::string(order.begin(), order.end()));
}

void WizardTest::HoldTimeArrowsStayInRange()
{
    const VerificationDisplay display{80, 32, 6, false, false};
    Wizard wizard(*m_rig->core, CWizardRig::kAddress, display); // no controller needed
    wizard.show();
    for (int page = 0; page < 4; ++page)
        wizard.next();
    auto* value = Find<QAbstractSpinBox>(&wizard, "holdTime");
    struct Step {
        const char* typed;
        Qt::Key key;
        const char* shown;
    };
    for (const Step& step : {Step{"1440", Qt::Key_Up, "1440"}, Step{"1440", Qt::Key_Down, "1439"},
                             Step{"1", Qt::Key_Down, "1"}, Step{"", Qt::Key_Up, "1"}, Step{"12x", Qt::Key_Up, "13"}}) {
        ClearHoldBox(&wizard);
        QTest::keyClicks(value, QString::fromLatin1(step.typed));
        QTest::keyClick(value, step.key);
        QCOMPARE(value->text(), QString::fromLatin1(step.shown));
    }
    Find<QComboBox>(&wizard, "holdUnit")->setCurrentText(QStringLiteral("hr"));
    ClearHoldBox(&wizard);
    QTest::keyClicks(value, QStringLiteral("24"));
    QTest::keyClick(value, Qt::Key_Up);
    QCOMPARE(value->text(), QStringLiteral("24"));
}

void WizardTest::CancelKeepsTheConnectionAndHandsTheLinkBack()
{
    Connect(kMono32x80, kMainModule, kMainFirmware);
    IPTANetListener* const coreListener = m_rig->core->Link().GetListener();
    CWizardRig& rig = *m_rig;

    DriveModal([&rig, coreListener](Wizard* wizard) {
        QVERIFY(rig.core->Link().GetListener() != coreListener);
        QVERIFY(!rig.coreTimer.armed);
        Click(wizard, "sendMessageOne");
        // The wizard's own keep-alive (a window timer) refreshes the connection while it waits.
        QTRY_VERIFY_WITH_TIMEOUT(std::count(rig.view.progressTexts.begin(), rig.view.progressTexts.end(),
                                            std::string("Refreshing sign connection")) > 0,
                                 60000);
        QVERIFY(!rig.coreTimer.armed);
        Press(wizard, QWizard::CancelButton);
        QVERIFY(!wizard->isVisible());
        QCOMPARE(rig.core->Link().GetListener(), coreListener); // at once, not when the wizard goes
    });
    QCOMPARE(RunVerificationWizard(nullptr, *m_rig->core, CWizardRig::kAddress), WizardEnd::Cancelled);

    QCOMPARE(m_rig->core->Link().GetListener(), coreListener);
    QVERIFY(m_rig->coreTimer.armed);
    QVERIFY(m_rig->core->Link().IsOpen()); // Cancel leaves the connection open
}

void WizardTest::SilentControllerDoesNotStopTheWizard()
{
    Connect(kMono32x80, kMainModule, kMainFirmware);
    auto wizard = Open();
    qvxsim::FirmwareBehaviour silent;
    silent.rebootMs = 0;
    silent.silentAfterReboot = true;
    m_rig->sim->SetBehaviour(CWizardRig::kPort, CWizardRig::kAddress, silent);
    m_rig->sim->Reboot(CWizardRig::kPort, CWizardRig::kAddress); // and never speaks again
    QSignalSpy steps(wizard.get(), &Wizard::stepFinished);

    Click(wizard.get(), "sendMessageOne");
    QCOMPARE(steps.count(), 1);
    QCOMPARE(wizard->currentId(), int(Wizard::MessageOneCheckPage)); // on, whatever the link did
    QVERIFY(m_rig->sim->Stats(CWizardRig::kPort, CWizardRig::kAddress).framesWhileDown > 0);
    QVERIFY(m_rig->Stored("MsgOne.M2M").empty());

    silent.silentAfterReboot = false;
    m_rig->sim->SetBehaviour(CWizardRig::kPort, CWizardRig::kAddress, silent);
    Press(wizard.get(), QWizard::BackButton);
    Click(wizard.get(), "sendMessageOne"); // the technician tries again
    QCOMPARE(steps.count(), 2);
    QCOMPARE(m_rig->Showing(), std::string("MSGONE.M2M"));
}

QTEST_MAIN(WizardTest)
#include "WizardTest.moc"
