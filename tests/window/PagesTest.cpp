// The pages of the main window: their texts and object names, enabling as one, and the choices
// they hand on (pattern numbers, questions answered, the configuration page's template view).
#include "connection/InstallerCore.h"
#include "qtwindow/connection/ActionsPage.h"
#include "qtwindow/connection/SystemPage.h"
#include "update/ConfigDownload.h"
#include "qtwindow/update/DlgConfigDownload.h"
#include "qtwindow/update/DlgFirmDownload.h"
#include "qtwindow/verify/VerificationPage.h"
#include "qtwindow/widgets/InfoList.h"
#include "qtwindow/widgets/ToolText.h"

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
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_poll.stop();
                text = box->text();
                box->button(answer)->click();
            }
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

// The page's controls start disabled (no display yet), then follow EnablePage, which leaves them
// enabled; a button's text is checked where one is given.
template <class Page>
void CheckControls(Page& page, std::initializer_list<std::pair<const char*, const char*>> controls)
{
    for (int step = 0; step < 4; ++step) {
        const bool enable = step % 2 == 1;
        if (step > 0)
            page.EnablePage(enable);
        for (const auto& [name, text] : controls) {
            auto* control = page.template findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY2(control && control->isEnabled() == enable, name);
            if (text)
                QCOMPARE(control->property("text").toString(), QString::fromLatin1(text));
        }
    }
}

QString LabelText(QWidget* on, const char* name) { return on->findChild<QLabel*>(QString::fromLatin1(name))->text(); }

} // namespace

class CPagesTest : public QObject {
    Q_OBJECT
private slots:
    void actionsPage()
    {
        CDlgActionsPage page;
        CheckControls(page, {{"1007", "Start Test Pattern"}, {"1009", "Stop Test Pattern"}, {"1008", nullptr},
                             {"1019", nullptr}, {"1020", nullptr}});
        auto* patterns = page.findChild<QComboBox*>(QStringLiteral("1008"));
        QCOMPARE(patterns->count(), 14);
        QCOMPARE(patterns->currentText(), QStringLiteral("Cycle Test Patterns"));
        QCOMPARE(patterns->itemText(12), QStringLiteral("Module Numbers"));
        const auto describe = [](const CInfoList* list) {
            return list->objectName() + ": " + list->headerItem()->text(0) + '|' + list->headerItem()->text(1);
        };
        QCOMPARE(describe(page.ConfigList()), QStringLiteral("1019: Configuration Tag|Attribute"));
        QCOMPARE(describe(page.StatusList()), QStringLiteral("1020: Status Tag|Attributes"));

        QSignalSpy start(&page, &CDlgActionsPage::startPatternRequested);
        QSignalSpy stop(&page, &CDlgActionsPage::stopPatternRequested);
        patterns->setCurrentIndex(12);
        Click(&page, "1007");
        Click(&page, "1009");
        QCOMPARE(start, QList<QVariantList>{{12}});
        QCOMPARE(stop.count(), 1);

        // Single-byte texts from the core: the degree sign survives.
        page.ShowLists({{"Configuration Tag", "Attribute"}, {"Baud Rate", "115200"}},
                       {{"Status Tag", "Attribute"}, {"Temperature", "69 F\xB0 / 21 C\xB0"}});
        QCOMPARE(page.ConfigList()->ValueOf(QStringLiteral("Baud Rate")), QStringLiteral("115200"));
        QCOMPARE(page.StatusList()->ValueOf(QStringLiteral("Temperature")), QStringLiteral("69 F\u00B0 / 21 C\u00B0"));
        // The headings read as before the connect; the core's heading row is not a line of its own.
        QCOMPARE(describe(page.ConfigList()), QStringLiteral("1019: Configuration Tag|Attribute"));
        QCOMPARE(describe(page.StatusList()), QStringLiteral("1020: Status Tag|Attributes"));
        QCOMPARE(page.StatusList()->topLevelItemCount(), 1);
    }

    void systemPageCleanupAsksFirst()
    {
        CDlgSystemPage page;
        CheckControls(page, {{"1017", "Reset Display"}, {"1039", "Memory Cleanup"}, {"1047", "Set Time/Date"}});
        QSignalSpy cleanup(&page, &CDlgSystemPage::memoryCleanupRequested);
        QSignalSpy reset(&page, &CDlgSystemPage::resetRequested);
        QSignalSpy setTime(&page, &CDlgSystemPage::setTimeRequested);
        for (const auto& [answer, cleanups] : {std::pair{QMessageBox::No, 0}, {QMessageBox::Yes, 1}}) {
            CBoxAnswer box(answer);
            Click(&page, "1039");
            QCOMPARE(box.text, QStringLiteral("This process may take several minutes.\nDo you want to continue?"));
            QCOMPARE(cleanup.count(), cleanups);
        }
        Click(&page, "1017");
        Click(&page, "1047");
        QCOMPARE(reset.count(), 1);
        QCOMPARE(setTime.count(), 1);
        QCOMPARE(cleanup.count(), 1);
    }

    void firmwarePage()
    {
        CDlgFirmDownload page;
        CheckControls(page, {{"otherFirmware", "Download a firmware version other than the recommended firmware"},
                             {"downloadFirmware", "Download Firmware"}});
        QCOMPARE(page.findChild<QPushButton*>(QStringLiteral("browse"))->text(), QStringLiteral("Browse ..."));
        QStringList captions;
        for (const QLabel* label : page.findChildren<QLabel*>())
            captions << label->text();
        for (const char* caption : {"Current Firmware:", "Recommended Firmware:", "Last Modified"})
            QVERIFY2(captions.contains(QString::fromLatin1(caption)), caption);
        page.SetRecommendedFirmware(QStringLiteral("FX40211-1.02.11"));
        QCOMPARE(LabelText(&page, "recommendedFirmware"), QStringLiteral("FX40211-1.02.11"));

        QSignalSpy download(&page, &CDlgFirmDownload::downloadRequested);
        auto* other = page.findChild<QCheckBox*>(QStringLiteral("otherFirmware"));
        auto* path = page.findChild<QLineEdit*>(QStringLiteral("firmwarePath"));
        QSignalSpy fileChanged(&page, &CDlgFirmDownload::firmwareFileChanged);
        const auto pathControls = [&] {
            return QList<bool>{path->isEnabled(), page.findChild<QPushButton*>(QStringLiteral("browse"))->isEnabled()};
        };
        QCOMPARE(pathControls(), (QList<bool>{false, false})); // the page is enabled, the box is not checked
        QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(4, other->height() / 2));
        QVERIFY(page.IsOtherFirmware());
        QCOMPARE(pathControls(), (QList<bool>{true, true}));
        {
            CBoxAnswer box(QMessageBox::Ok);
            Click(&page, "downloadFirmware");
            QCOMPARE(box.text, QStringLiteral("Please enter a Firmware File before downloading."));
            QCOMPARE(download.count(), 0);
        }
        QTest::keyClicks(path, QStringLiteral("C:\\fw\\FX40211.exe"));
        Click(&page, "downloadFirmware");
        page.ShowFileCheck(QStringLiteral("Version: FX40211-1.3.0"));
        other->setChecked(false);
        QCOMPARE(pathControls(), (QList<bool>{false, false}));
        QCOMPARE(LabelText(&page, "firmwareFileCheck"), QString());
        path->clear();
        Click(&page, "downloadFirmware");
        QCOMPARE(download, (QList<QVariantList>{{true}, {false}}));
        // Checking the box names the (empty) path; each character typed after it names the path so far;
        // nothing once the box is off.
        QCOMPARE(fileChanged.count(), 1 + QStringLiteral("C:\\fw\\FX40211.exe").size());
        QCOMPARE(fileChanged.first().first().toString(), QString());
        QCOMPARE(fileChanged.last().first().toString(), QStringLiteral("C:\\fw\\FX40211.exe"));
    }

    void configurationPage()
    {
        CNoView view;
        CInstallerCore core(view);
        CConfigDownloader config(core);
        CDlgConfigDownload page(config);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        CheckControls(page, {{"checkConfiguration", "Check Configuration"}, {"generationFilter", nullptr},
                             {"desiredConfiguration", nullptr}, {"timeZone", nullptr}});
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
        QCOMPARE(LabelText(&page, "templateLabel"), QStringLiteral("32x80 Mono64 Configuration:"));
        QVERIFY(page.TemplateText().contains(QStringLiteral("zn=\"-300\"")));
        QVERIFY(page.TemplateText().contains(QStringLiteral("32X80MONO64.CRV.M2")));

        QSignalSpy check(&page, &CDlgConfigDownload::checkRequested);
        Click(&page, "checkConfiguration");
        types->clearSelection();
        Click(&page, "checkConfiguration"); // nothing chosen: nothing asked
        QCOMPARE(check, (QList<QVariantList>{{10, QString::fromLatin1(kEastern)}}));
    }

    void verificationPage()
    {
        CDlgVerificationPage page;
        CheckControls(page, {{"startWizard", "Start Wizard..."}});
        QCOMPARE(LabelText(&page, "wizardPurpose"),
                 QStringLiteral("The Verification Wizard is used in conjunction with the Pellworth LED Reader Board "
                                "Verification Test Form."));
        QCOMPARE(LabelText(&page, "wizardBeforeStart"),
                 QStringLiteral("Before starting the wizard, you must be connected to the sign and it should be "
                                "displaying the first factory programmed message reading \"Pellworth\".  After "
                                "finishing the wizard, the connection will be closed."));
        QSignalSpy start(&page, &CDlgVerificationPage::startWizardRequested);
        Click(&page, "startWizard");
        QCOMPARE(start.count(), 1);
    }
};

QTEST_MAIN(CPagesTest)
#include "PagesTest.moc"
