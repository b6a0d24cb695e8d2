// The verification test wizard against the stand-in controller: pages, texts and buttons as the
// technician meets them, what the controller holds after each step, the hold-time box, the link
// handed back on Cancel and a controller that does not answer. The core's view runs steps inline.
#include "WizardRig.h"

#include "verify/FactoryMessages.h"
#include "verify/VerificationMessages.h"
#include "qtwindow/verify/VerificationTestWizard.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

using Wizard = CVerificationTestWizard;

template <class T = QWidget>
T* Find(QWidget* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void Click(QWidget* on, const char* name) { QTest::mouseClick(Find<QAbstractButton>(on, name), Qt::LeftButton); }
void Press(QWizard* wizard, QWizard::WizardButton which) { QTest::mouseClick(wizard->button(which), Qt::LeftButton); }

struct Buttons {
    bool back, next, finishShown, finish;
    friend bool operator==(const Buttons&, const Buttons&) = default;
};

// The page showing, its title (unless null), its labels' texts and the state of the wizard's buttons.
void CheckPage(QWizard* wizard, Wizard::PageId id, const char* title,
               std::initializer_list<std::pair<const char*, const char*>> texts, Buttons buttons)
{
    QCOMPARE(wizard->currentId(), int(id));
    if (title)
        QCOMPARE(wizard->currentPage()->title(), QString::fromLatin1(title));
    for (const auto& [name, text] : texts)
        QCOMPARE(Find<QLabel>(wizard, name)->text(), QString::fromLatin1(text));
    auto* next = wizard->button(QWizard::NextButton);
    auto* finish = wizard->button(QWizard::FinishButton);
    QCOMPARE((Buttons{wizard->button(QWizard::BackButton)->isEnabled(), next->isVisible() && next->isEnabled(),
                      finish->isVisible(), finish->isEnabled()}),
             buttons);
}

// The lines a check page's picture shows (its description), one per line of text; its note shown.
QString PictureLines(QWidget* wizard, const char* name)
{
    auto* picture = Find<QLabel>(wizard, name);
    if (picture->pixmap().isNull())
        return QStringLiteral("<no picture>");
    return picture->accessibleDescription();
}

// Today's date where the controller's clock runs zoneMinutes from UTC, as message two shows it.
QString DateInZone(int zoneMinutes)
{
    return QDateTime::currentDateTimeUtc().addSecs(zoneMinutes * 60LL).date().toString(QStringLiteral("MM/dd/yyyy"));
}

// Every stored name a restore leaves on a 32 x 80 monochrome display, as the controller lists them:
// the HITECH set and the configuration, which a wipe keeps.
QString HitechSet32x80Mono()
{
    QStringList names{"CONFIG.XML", "HTCH\\16X16N.CFF", "PLAYORDER.DAT", "PLAYSTATUS.DAT"};
    for (int message = 0; message < kHitechMessageCount; ++message)
        names << QString::fromStdString(HitechMessageFileName(message)).toUpper();
    names.sort();
    return names.join(QStringLiteral(", "));
}

// Names or texts as one line, so that a failure shows them; without the keep-alive's step, which
// may come between.
QString Joined(const std::vector<std::string>& items)
{
    QStringList texts;
    for (const std::string& item : items)
        if (item != "Refreshing sign connection")
            texts << QString::fromStdString(item);
    return texts.join(QStringLiteral(", "));
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
    void cleanup() { m_wizard.reset(); m_rig.reset(); }

    void StandardDisplayWholeWizard()
    {
        m_rig->settings.temperature = -7;
        m_rig->settings.timeZone = 330; // ahead of UTC: the display's date may be the next day already
        Connect();
        IPTANetListener* const coreListener = m_rig->core->Session().Link().GetListener();
        CWizardRig& rig = *m_rig;
        DriveModal([&rig](Wizard* wizard) {
            QCOMPARE(wizard->windowTitle(), QStringLiteral("Pellworth LED Reader Board Verification Test"));
            QCOMPARE(wizard->wizardStyle(), QWizard::ClassicStyle);
            QVERIFY(!wizard->button(QWizard::HelpButton)->isVisible());
            QVERIFY(!wizard->page(Wizard::NotStandardPage));
            QVERIFY(!rig.coreTimerArmed); // the core's keep-alive rests while the wizard runs

            // Message one: no way on but "Send Message".
            CheckPage(wizard, Wizard::MessageOnePage, "Establish reader board communication with message one",
                      {{"messageOneIntro", "Click the \"Send Message\" button to send message one to the sign.  The "
                                           "message will contain the following content:"},
                       {"messageOneLines", "- Line One:  1111111111111 (Entire row is filled with the number one)\n"
                                           "- Line Two:  2222222222222 (Entire row is filled with the number two)\n"
                                           "- Line Three:  3333333333333 (Entire row is filled with the number "
                                           "three)"}},
                      {false, false, false, false});
            QVERIFY(wizard->button(QWizard::CancelButton)->isEnabled());
            Click(wizard, "sendMessageOne");
            QCOMPARE(rig.Stored("MsgOne.M2M"), BuildMessageOne(80, 32, 6, false, false));
            QCOMPARE(rig.Showing(), std::string("MSGONE.M2M"));

            CheckPage(wizard, Wizard::MessageOneCheckPage, "Verify Text Orientation and LED panels with message one",
                      {{"messageOneCheck", "Verify that the sign is showing message one correctly by taking a "
                                           "photo.  The sign should display something like the following:"}},
                      {true, true, false, false});
            // Whole characters only: 13 of the 14 a row carries fit 80 LEDs.
            QCOMPARE(PictureLines(wizard, "messageOnePicture"),
                     QStringLiteral("1111111111111\n2222222222222\n3333333333333\n4444444444444"));
            Press(wizard, QWizard::NextButton);

            // Message two: "Send Message" only with a store number, which takes digits only.
            CheckPage(wizard, Wizard::MessageTwoPage, nullptr,
                      {{"messageTwoIntro", "Enter the store number and click the \"Send Message\" button to send "
                                           "message two to the sign.  The message will contain the following "
                                           "content:"},
                       {"storeLine", "- Line One:  Store Number"},
                       {"dateLine", "- Line Two:  Date"},
                       {"temperatureLine", "- Line Three:  Temperature"}},
                      {true, false, false, false});
            auto* send = Find<QPushButton>(wizard, "sendMessageTwo");
            QVERIFY(!send->isEnabled());
            QCOMPARE(wizard->currentPage()->focusWidget(), Find(wizard, "storeNumber"));
            QTest::keyClicks(Find(wizard, "storeNumber"), QStringLiteral("90a-2 10"));
            QCOMPARE(Find<QLineEdit>(wizard, "storeNumber")->text(), QStringLiteral("90210"));
            QVERIFY(send->isEnabled());
            const QString dayBefore = DateInZone(rig.settings.timeZone);
            QTest::mouseClick(send, Qt::LeftButton);
            QVERIFY(rig.Stored("MsgTwo.M2M").find("Store: 90210<BR/>") != std::string::npos);
            QCOMPARE(rig.Showing(), std::string("MSGTWO.M2M"));

            CheckPage(wizard, Wizard::MessageTwoCheckPage, nullptr, {}, {true, true, false, false});
            // The number typed, today in the display's zone, and its -7 C as Fahrenheit (19.4 cut).
            const QString shown = PictureLines(wizard, "messageTwoPicture");
            QVERIFY2(shown == QStringLiteral("Store: 90210\n%1\n19\u00B0F").arg(dayBefore) ||
                         shown == QStringLiteral("Store: 90210\n%1\n19\u00B0F").arg(DateInZone(rig.settings.timeZone)),
                     qPrintable(shown));
            QVERIFY(Find(wizard, "messageTwoPictureNote")->isHidden());
            Press(wizard, QWizard::NextButton);

            // The factory page: no way back, Finish only after "Restore".
            CheckPage(wizard, Wizard::FactoryPage, "Restore Factory Pre-loaded messages",
                      {{"factoryMessages", "- Opening Soon\n- Now Hiring\n- Flexibile Hours\n- Opening Soon\n- Great "
                                           "Benefits\n- Paid Vacation\n- Opening Soon\n- Join our Team"}},
                      {false, false, true, false});
            QVERIFY(!Find(wizard, "factoryWarning")->isVisible());
            auto* value = Find<QAbstractSpinBox>(wizard, "holdTime");
            auto* unit = Find<QComboBox>(wizard, "holdUnit");
            QCOMPARE(value->text() + ' ' + unit->currentText(), QStringLiteral("15 min"));
            QVERIFY(value->isEnabled() && unit->isEnabled());
            Click(wizard, "restore");
            QCOMPARE(Joined(rig.Names()), HitechSet32x80Mono()); // both messages and their font wiped
            const std::vector<unsigned char> order = BuildPlayOrder(900000);
            QCOMPARE(rig.Stored("PLAYORDER.DAT"), std::string(order.begin(), order.end()));
            QVERIFY(!Find(wizard, "restore")->isEnabled() && !value->isEnabled() && !unit->isEnabled());
            CheckPage(wizard, Wizard::FactoryPage, nullptr, {}, {false, false, true, true});
            Press(wizard, QWizard::FinishButton);
        });
        QCOMPARE(RunVerificationWizard(nullptr, *m_rig->core, CWizardRig::kAddress), WizardEnd::Finished);

        QCOMPARE(Joined(m_rig->view.progressTexts),
                 QStringLiteral("Sending Verification Message 1, Sending Verification Message 2, Restoring Factory "
                                "Messages"));
        QCOMPARE(m_rig->core->Session().Link().GetListener(), coreListener);
        QVERIFY(m_rig->coreTimerArmed);
    }

    void NotStandardDisplayWarnsAndSkipsTheFactorySet()
    {
        Connect("48X144MONO64.CRV.M2"); // 48 x 144 is never standard in monochrome
        Wizard* wizard = Open();
        CheckPage(wizard, Wizard::NotStandardPage, "Connected display is not a standard display",
                  {{"notStandardIntro", "WARNING!!  This display is not one of the standard displays.  The standard "
                                        "displays are the following:"},
                   {"standardDisplays", "32x80 Monochrome or RGB\n32x128 Monochrome or RGB\n48x160 Monochrome or "
                                        "RGB\n64x224 Monochrome or RGB"},
                   {"notStandardChoices", "1.  Press \"Cancel\"  to exit the wizard   OR\n2.  Press \"Next\" to "
                                          "continue the wizard, but skip unsupported steps"}},
                  {false, true, false, false});
        Press(wizard, QWizard::NextButton);
        CheckPage(wizard, Wizard::MessageOnePage, nullptr, {}, {true, false, false, false}); // back to the warning
        ToFactoryPage(wizard);
        QCOMPARE(m_rig->Stored("MsgOne.M2M"), BuildMessageOne(144, 48, 6, false, false));

        CheckPage(wizard, Wizard::FactoryPage, nullptr,
                  {{"factoryWarningText", "These messages will not be loaded to the display since it is not one of "
                                          "the standard displays."}},
                  {false, false, true, false});
        QVERIFY(Find(wizard, "factoryWarning")->isVisible());
        QCOMPARE(Find<QGroupBox>(wizard, "factoryWarning")->title(), QStringLiteral("WARNING!!"));
        Click(wizard, "restore");
        QCOMPARE(Joined(m_rig->Names()), QStringLiteral("CONFIG.XML")); // wiped, and no set of its type to send
        CheckPage(wizard, Wizard::FactoryPage, nullptr, {}, {false, false, true, true});
    }

    void WindowedDisplayOnTheFirmwareLine()
    {
        Connect("48X144RGB16M.CRV.M2", "FX40158.RBF-001", "FP9023417-3.11.3");
        Wizard* wizard = Open();
        QCOMPARE(wizard->currentId(), int(Wizard::MessageOnePage)); // standard on the firmware line
        ToFactoryPage(wizard, "123456789"); // "Store: 123456789" is wider than the 80 x 32 window
        const std::string one = m_rig->Stored("MsgOne.M2M");
        QCOMPARE(one, BuildMessageOne(144, 48, 24, true, true));
        QVERIFY(one.find("x=\"64\" y=\"0\" h=\"32\" w=\"80\"") != std::string::npos);
        QCOMPARE(m_rig->Stored("MsgTwo.M2M"), BuildMessageTwo(144, 48, 24, true, true, "123456789"));
        QVERIFY(!Find(wizard, "messageTwoPictureNote")->isHidden());
        // The 80 x 32 window: four of its six rows, 13 of each row's 24 characters.
        QCOMPARE(PictureLines(wizard, "messageOnePicture"),
                 QStringLiteral("1111111111111\n2222222222222\n3333333333333\n4444444444444"));

        // The package set times itself: the hold time is not the technician's.
        QVERIFY(!Find(wizard, "holdTime")->isEnabled() && !Find(wizard, "holdUnit")->isEnabled());
        QVERIFY(!Find(wizard, "factoryWarning")->isVisible());
        Click(wizard, "restore");
        QCOMPARE(m_rig->Stored("JOIN OUR TEAM.M2M"), BuildPackageMessage(PackageDisplay::Rgb48x144, 4));
        QCOMPARE(m_rig->Showing(), std::string("JOIN OUR TEAM.M2M"));
        QVERIFY(m_rig->Stored("MsgOne.M2M").empty());
    }

    // Typed into the emptied box, then the units chosen one after the other, then an arrow key: the
    // box and the note beside it; then "Restore" when it is offered, with the hold time sent. A hold
    // time outside 1 .. a day is refused where it is typed, never changed behind the technician.
    void HoldTimeRules_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("units");
        QTest::addColumn<int>("key"); // 0: none
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("restored"); // empty: "Restore" refused
        QTest::addColumn<unsigned long>("ms");
        const QStringList none;
        QTest::newRow("15 min to sec") << "15" << QStringList{"sec"} << 0 << "900" << "" << "900 sec" << 900000ul;
        QTest::newRow("and back") << "15" << QStringList{"sec", "min"} << 0 << "15" << "" << "15 min" << 900000ul;
        QTest::newRow("15 min to hr is 0") << "15" << QStringList{"hr"} << 0 << "0" << "Enter 1 to 24 hr" << ""
                                           << 0ul;
        QTest::newRow("0 min") << "0" << none << 0 << "0" << "Enter 1 to 1440 min" << "" << 0ul;
        QTest::newRow("above a day") << "2000" << none << 0 << "2000" << "Enter 1 to 1440 min" << "" << 0ul;
        QTest::newRow("above a day, in sec") << "1441" << QStringList{"sec"} << 0 << "86460"
                                            << "Enter 1 to 86400 sec" << "" << 0ul;
        QTest::newRow("empty is 15 min") << "" << QStringList{"sec"} << 0 << "" << "" << " min" << 900000ul;
        // The arrows stay within a minute (an empty box counts as one) and a day, and bring a refused
        // value back into the range.
        QTest::newRow("up at a day") << "1440" << none << int(Qt::Key_Up) << "1440" << "" << "1440 min" << 86400000ul;
        QTest::newRow("down from a day") << "1440" << none << int(Qt::Key_Down) << "1439" << "" << "1439 min"
                                         << 86340000ul;
        QTest::newRow("down at 1") << "1" << none << int(Qt::Key_Down) << "1" << "" << "1 min" << 60000ul;
        QTest::newRow("up from empty") << "" << none << int(Qt::Key_Up) << "1" << "" << "1 min" << 60000ul;
        QTest::newRow("up from 0") << "0" << none << int(Qt::Key_Up) << "1" << "" << "1 min" << 60000ul;
        QTest::newRow("down from above a day") << "2000" << none << int(Qt::Key_Down) << "1440" << "" << "1440 min"
                                               << 86400000ul;
        QTest::newRow("letters dropped") << "12x" << none << int(Qt::Key_Up) << "13" << "" << "13 min" << 780000ul;
        QTest::newRow("day in hr") << "1440" << QStringList{"hr"} << int(Qt::Key_Up) << "24" << "" << "24 hr"
                                   << 86400000ul;
    }

    void HoldTimeRules()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, units);
        QFETCH(int, key);
        QFETCH(QString, shown);
        QFETCH(QString, note);
        QFETCH(QString, restored);
        QFETCH(unsigned long, ms);
        Connect();
        Wizard* wizard = Open();
        for (int page = 0; page < 4; ++page)
            wizard->next();
        QCOMPARE(wizard->currentId(), int(Wizard::FactoryPage));
        auto* value = Find<QAbstractSpinBox>(wizard, "holdTime");
        auto* unit = Find<QComboBox>(wizard, "holdUnit");
        value->findChild<QLineEdit*>()->clear();
        QTest::keyClicks(value, typed);
        for (const QString& choice : units)
            unit->setCurrentText(choice);
        if (key)
            QTest::keyClick(value, Qt::Key(key));
        QCOMPARE(value->text(), shown);
        QCOMPARE(Find<QLabel>(wizard, "holdTimeNote")->text(), note);
        QCOMPARE(Find(wizard, "restore")->isEnabled(), !restored.isEmpty());
        if (restored.isEmpty())
            return;
        Click(wizard, "restore");
        QCOMPARE(value->text() + ' ' + unit->currentText(), restored);
        const std::vector<unsigned char> order = BuildPlayOrder(ms);
        QCOMPARE(m_rig->Stored("PLAYORDER.DAT"), std::string(order.begin(), order.end()));
    }

    void CancelKeepsTheConnectionAndHandsTheLinkBack()
    {
        Connect();
        IPTANetListener* const coreListener = m_rig->core->Session().Link().GetListener();
        CWizardRig& rig = *m_rig;
        DriveModal([&rig, coreListener](Wizard* wizard) {
            QVERIFY(rig.core->Session().Link().GetListener() != coreListener);
            QVERIFY(!rig.coreTimerArmed);
            Click(wizard, "sendMessageOne");
            // The wizard's own keep-alive (a window timer) refreshes the connection while it waits.
            QTRY_VERIFY_WITH_TIMEOUT(std::ranges::count(rig.view.progressTexts, "Refreshing sign connection") > 0,
                                     60000);
            QVERIFY(!rig.coreTimerArmed);
            Press(wizard, QWizard::CancelButton);
            QVERIFY(!wizard->isVisible());
            QCOMPARE(rig.core->Session().Link().GetListener(), coreListener); // at once, not when the wizard goes
        });
        QCOMPARE(RunVerificationWizard(nullptr, *m_rig->core, CWizardRig::kAddress), WizardEnd::Cancelled);
        QCOMPARE(m_rig->core->Session().Link().GetListener(), coreListener);
        QVERIFY(m_rig->coreTimerArmed);
        QVERIFY(m_rig->core->Session().Link().IsOpen()); // Cancel leaves the connection open
    }

    void SilentControllerDoesNotStopTheWizard()
    {
        Connect();
        Wizard* wizard = Open();
        qvxsim::FirmwareBehaviour silent{.rebootMs = 0, .silentAfterReboot = true};
        m_rig->sim->SetBehaviour(CWizardRig::kPort, CWizardRig::kAddress, silent);
        m_rig->sim->Reboot(CWizardRig::kPort, CWizardRig::kAddress); // and never speaks again
        QSignalSpy steps(wizard, &Wizard::stepFinished);
        Click(wizard, "sendMessageOne");
        QCOMPARE(steps.count(), 1);
        QCOMPARE(wizard->currentId(), int(Wizard::MessageOneCheckPage)); // on, whatever the link did
        QVERIFY(m_rig->sim->Stats(CWizardRig::kPort, CWizardRig::kAddress).framesWhileDown > 0);
        QVERIFY(m_rig->Stored("MsgOne.M2M").empty());

        silent.silentAfterReboot = false;
        m_rig->sim->SetBehaviour(CWizardRig::kPort, CWizardRig::kAddress, silent);
        Press(wizard, QWizard::BackButton);
        Click(wizard, "sendMessageOne"); // the technician tries again
        QCOMPARE(steps.count(), 2);
        QCOMPARE(m_rig->Showing(), std::string("MSGONE.M2M"));
    }

private:
    // The standard 32 x 80 monochrome display on the main firmware line unless told otherwise.
    void Connect(const char* type = "32X80MONO64.CRV.M2", const char* module = "FX40529.RBF-004",
                 const char* firmware = "FX40211-1.02.11")
    {
        const std::string error = m_rig->Connect(type, module, firmware);
        QVERIFY2(error.empty(), error.c_str());
    }
    Wizard* Open()
    {
        const VerificationDisplay display = ConnectedVerificationDisplay(*m_rig->core);
        m_wizard = std::make_unique<Wizard>(*m_rig->core, CWizardRig::kAddress, display);
        m_wizard->show();
        return m_wizard.get();
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
    std::unique_ptr<Wizard> m_wizard;
};

QTEST_MAIN(WizardTest)
#include "WizardTest.moc"
