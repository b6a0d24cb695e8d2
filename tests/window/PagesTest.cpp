// The pages of the main window: their texts and object names, enabling as one, and the choices
// they hand on (pattern numbers, questions answered, the configuration page's template view).
#include "connection/InstallerCore.h"
#include "connection/window/ActionsPage.h"
#include "connection/window/SystemPage.h"
#include "update/ConfigDownload.h"
#include "update/window/DlgConfigDownload.h"
#include "update/window/DlgFirmDownload.h"
#include "verify/window/VerificationPage.h"
#include "widgets/InfoList.h"
#include "widgets/ToolText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const char kEastern[] = "(GMT-05:00) Eastern Time (US & Canada);Bogota, Lima, Quito";

// The next modal message box: its text is kept and the button pressed once it is up.
class CBoxAnswer {
public:
    explicit CBoxAnswer(QMessageBox::StandardButton answer)
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            m_poll.stop();
            text = box->text();
            box->button(answer)->click();
        });
        m_poll.start(10);
    }
    QString text;

private:
    QTimer m_poll;
};

void Click(QWidget* page, const char* name)
{
    auto* button = page->findChild<QAbstractButton*>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

struct ControlText {
    const char* name;
    const char* text;
};

void CheckButtons(QWidget* page, std::initializer_list<ControlText> controls)
{
    for (const ControlText& control : controls) {
        auto* button = page->findChild<QAbstractButton*>(QString::fromLatin1(control.name));
        QVERIFY2(button, control.name);
        QCOMPARE(button->text(), QString::fromLatin1(control.text));
    }
}

// The page starts disabled (no display yet); then every named control follows EnablePage.
template <class Page>
void CheckEnabling(Page& page, std::initializer_list<const char*> names)
{
    for (int step = 0; step < 3; ++step) {
        const bool enable = step == 1;
        if (step > 0)
            page.EnablePage(enable);
        for (const char* name : names) {
            auto* control = page.template findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY2(control, name);
            QVERIFY2(control->isEnabled() == enable, name);
        }
    }
}

} // namespace

class CPagesTest : public QObject {
    Q_OBJECT
private slots:
    void actionsPage();
    void systemPageCleanupAsksFirst();
    void firmwarePage();
    void configurationPage();
    void verificationPage();
};

void CPagesTest::actionsPage()
{
    CDlgActionsPage page;
    CheckButtons(&page, {{"1007", "Start Test Pattern"}, {"1009", "Stop Test Pattern"}});
    CheckEnabling(page, {"1007", "1008", "1009", "1019", "1020"});
    auto* patterns = page.findChild<QComboBox*>(QStringLiteral("1008"));
    QCOMPARE(patterns->count(), 14);
    QCOMPARE(patterns->currentText(), QStringLiteral("Cycle Test Patterns"));
    QCOMPARE(patterns->itemText(12), QStringLiteral("Module Numbers"));
    const QTreeWidgetItem* configHeadings = page.ConfigList()->headerItem();
    const QTreeWidgetItem* statusHeadings = page.StatusList()->headerItem();
    QCOMPARE(page.ConfigList()->objectName(), QStringLiteral("1019"));
    QCOMPARE(page.StatusList()->objectName(), QStringLiteral("1020"));
    QCOMPARE(configHeadings->text(0) + '|' + configHeadings->text(1), QStringLiteral("Configuration Tag|Attribute"));
    QCOMPARE(statusHeadings->text(0) + '|' + statusHeadings->text(1), QStringLiteral("Status Tag|Attributes"));

    page.EnablePage(true);
    QSignalSpy start(&page, &CDlgActionsPage::startPatternRequested);
    QSignalSpy stop(&page, &CDlgActionsPage::stopPatternRequested);
    patterns->setCurrentIndex(12);
    Click(&page, "1007");
    Click(&page, "1009");
    QCOMPARE(start.count(), 1);
    QCOMPARE(start.at(0).at(0).toInt(), 12);
    QCOMPARE(stop.count(), 1);

    // Single-byte texts from the core: the degree sign survives.
    page.ShowLists({{"Configuration Tag", "Attribute"}, {"Baud Rate", "115200"}},
                   {{"Status Tag", "Attribute"}, {"Temperature", "69 F\xB0 / 21 C\xB0"}});
    QCOMPARE(page.ConfigList()->ValueOf(QStringLiteral("Baud Rate")), QStringLiteral("115200"));
    QCOMPARE(page.StatusList()->ValueOf(QStringLiteral("Temperature")), QStringLiteral("69 F\u00B0 / 21 C\u00B0"));
}

void CPagesTest::systemPageCleanupAsksFirst()
{
    CDlgSystemPage page;
    CheckButtons(&page, {{"1017", "Reset Display"}, {"1039", "Memory Cleanup"}, {"1047", "Set Time/Date"}});
    CheckEnabling(page, {"1017", "1039", "1047"});
    page.EnablePage(true);
    QSignalSpy cleanup(&page, &CDlgSystemPage::memoryCleanupRequested);
    QSignalSpy reset(&page, &CDlgSystemPage::resetRequested);
    QSignalSpy setTime(&page, &CDlgSystemPage::setTimeRequested);

    const struct {
        QMessageBox::StandardButton answer;
        int cleanups;
    } kAnswers[] = {{QMessageBox::No, 0}, {QMessageBox::Yes, 1}};
    for (const auto& row : kAnswers) {
        CBoxAnswer answer(row.answer);
        Click(&page, "1039");
        QCOMPARE(answer.text, QStringLiteral("This process may take several minutes.\nDo you want to continue?"));
        QCOMPARE(cleanup.count(), row.cleanups);
    }
    Click(&page, "1017");
    Click(&page, "1047");
    QCOMPARE(reset.count(), 1);
    QCOMPARE(setTime.count(), 1);
    QCOMPARE(cleanup.count(), 1);
}

void CPagesTest::firmwarePage()
{
    CDlgFirmDownload page;
    CheckButtons(&page, {{"otherFirmware", "Download a firmware version other than the recommended firmware"},
                         {"browse", "Browse ..."},
                         {"downloadFirmware", "Download Firmware"}});
    CheckEnabling(page, {"otherFirmware", "firmwarePath", "browse", "downloadFirmware"});
    QStringList captions;
    for (const QLabel* label : page.findChildren<QLabel*>())
        captions << label->text();
    for (const char* caption : {"Current Firmware:", "Recommended Firmware:", "Last Modified"})
        QVERIFY2(captions.contains(QString::fromLatin1(caption)), caption);
    page.SetRecommendedFirmware(QStringLiteral("FX40211-1.02.11"));
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("recommendedFirmware"))->text(), QStringLiteral("FX40211-1.02.11"));

    page.EnablePage(true);
    QSignalSpy download(&page, &CDlgFirmDownload::downloadRequested);
    auto* other = page.findChild<QCheckBox*>(QStringLiteral("otherFirmware"));
    auto* path = page.findChild<QLineEdit*>(QStringLiteral("firmwarePath"));
    QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(4, other->height() / 2));
    QVERIFY(page.IsOtherFirmware());
    {
        CBoxAnswer answer(QMessageBox::Ok);
        Click(&page, "downloadFirmware");
        QCOMPARE(answer.text, QStringLiteral("Please enter a Firmware File before downloading."));
        QCOMPARE(download.count(), 0);
    }
    QTest::keyClicks(path, QStringLiteral("C:\\fw\\FX40211.exe"));
    Click(&page, "downloadFirmware");
    other->setChecked(false);
    path->clear();
    Click(&page, "downloadFirmware");
    QCOMPARE(download.count(), 2);
    QCOMPARE(download.at(0).at(0).toBool(), true);
    QCOMPARE(download.at(1).at(0).toBool(), false);
}

void CPagesTest::configurationPage()
{
    CNoView view;
    CInstallerCore core(view);
    CConfigDownloader config(core);
    CDlgConfigDownload page(config);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    CheckButtons(&page, {{"checkConfiguration", "Check Configuration"}});
    CheckEnabling(page, {"generationFilter", "desiredConfiguration", "timeZone", "checkConfiguration"});
    page.EnablePage(true);
    page.Refill();
    auto* filters = page.findChild<QComboBox*>(QStringLiteral("generationFilter"));
    auto* types = page.findChild<QListWidget*>(QStringLiteral("desiredConfiguration"));
    auto* zones = page.findChild<QComboBox*>(QStringLiteral("timeZone"));
    // The check compares with the zone the page shows, chosen or not.
    QCOMPARE(FromTool(config.CurrentTimeZone()), zones->currentText());

    QCOMPARE(filters->count(), 5);
    filters->setCurrentIndex(filters->findText(QStringLiteral("Gen 1")));
    QCOMPARE(types->count(), 15);
    const QList<QListWidgetItem*> found = types->findItems(QStringLiteral("32x80 Mono64"), Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    types->scrollToItem(found.first());
    QTest::mouseClick(types->viewport(), Qt::LeftButton, {}, types->visualItemRect(found.first()).center());
    QCOMPARE(page.SelectedKey(), 10);
    zones->setCurrentIndex(zones->findText(QString::fromLatin1(kEastern)));

    QCOMPARE(config.CurrentTimeZone(), std::string(kEastern));
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("templateLabel"))->text(),
             QStringLiteral("32x80 Mono64 Configuration:"));
    QVERIFY(page.TemplateText().contains(QStringLiteral("zn=\"-300\"")));
    QVERIFY(page.TemplateText().contains(QStringLiteral("32X80MONO64.CRV.M2")));

    QSignalSpy check(&page, &CDlgConfigDownload::checkRequested);
    Click(&page, "checkConfiguration");
    types->clearSelection();
    Click(&page, "checkConfiguration");
    QCOMPARE(check.count(), 1);
    QCOMPARE(check.at(0).at(0).toInt(), 10);
    QCOMPARE(check.at(0).at(1).toString(), QString::fromLatin1(kEastern));
}

void CPagesTest::verificationPage()
{
    CDlgVerificationPage page;
    CheckButtons(&page, {{"startWizard", "Start Wizard..."}});
    CheckEnabling(page, {"startWizard"});
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("wizardPurpose"))->text(),
             QStringLiteral("The Verification Wizard is used in conjunction with the Pellworth LED Reader Board "
                            "Verification Test Form."));
    QCOMPARE(page.findChild<QLabel*>(QStringLiteral("wizardBeforeStart"))->text(),
             QStringLiteral("Before starting the wizard, you must be connected to the sign and it should be "
                            "displaying the first factory programmed message reading \"Pellworth\".  After "
                            "finishing the wizard, the connection will be closed."));
    page.EnablePage(true);
    QSignalSpy start(&page, &CDlgVerificationPage::startWizardRequested);
    Click(&page, "startWizard");
    QCOMPARE(start.count(), 1);
}

QTEST_MAIN(CPagesTest)
#include "PagesTest.moc"
