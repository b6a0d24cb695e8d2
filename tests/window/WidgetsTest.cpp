// The message list's scroll range, selection and copy; the progress window's bar, Abort and
// closing; the "Download Configuration" dialog's lists and choice.

#include "qtwindow/update/ConfigDownloadDialog.h"
#include "qtwindow/update/DlgProgress.h"
#include "qtwindow/widgets/MessageList.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {

ConfigurationLists Lists(const std::string& initialTimeZone)
{
    ConfigurationLists lists;
    lists.filters = {{0, "All"}, {1, "Gen 1"}, {2, "Gen 2"}};
    lists.typesOf = [](int filter) -> std::vector<std::pair<int, std::string>> {
        if (filter == 1)
            return {{3, "48x160 RGB32K"}, {10, "32x80 Mono64"}};
        if (filter == 2)
            return {{21, "32x80 Mono64"}};
        return {{10, "32x80 Mono64 - Gen 1"}, {21, "32x80 Mono64 - Gen 2"}};
    };
    lists.timeZones = {"(GMT-12:00) Eniwetok, Kwajalein", "(GMT) Casablanca, Monrovia",
                       "(GMT-05:00) Eastern Time (US & Canada);Bogota, Lima, Quito"};
    lists.initialTimeZone = initialTimeZone;
    lists.nDisplayKey = 10;
    return lists;
}

QStringList Texts(const QListWidget& list)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row)
        texts.append(list.item(row)->text());
    return texts;
}

} // namespace

class WidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void messageRangeFollowsWidestLine()
    {
        CMessageList list;
        list.resize(200, 100);
        list.show();
        const auto width = [&](const QString& line) {
            return list.fontMetrics().horizontalAdvance(line) + list.fontMetrics().averageCharWidth() + 10;
        };
        const QString wide(60, QLatin1Char('W')), wider(90, QLatin1Char('W'));
        const std::pair<QString, QString> steps[] = {{"x", "x"}, {wide, wide}, {"x", wide}, {wider, wider}, {wide, wider}};
        for (const auto& [line, widest] : steps) {
            list.AddLine(line);
            QCOMPARE(list.ContentWidth(), width(widest));
            QCOMPARE(list.selectedItems(), QList<QListWidgetItem*>{list.item(list.count() - 1)});
        }
        QTRY_COMPARE(list.horizontalScrollBar()->maximum(), list.ContentWidth() - list.viewport()->width());
        for (int i = 0; i < 40; ++i) // longer than the window: the newest line is in view
            list.AddLine(QString::number(i));
        const auto newest = [&] { return list.visualItemRect(list.item(list.count() - 1)); };
        QTRY_VERIFY(newest().top() >= 0 && newest().bottom() < list.viewport()->height());
    }

    void copyTakesSelectionOrAll()
    {
        CMessageList list;
        for (const char* line : {"one", "two", "three"})
            list.AddLine(QString::fromLatin1(line));
        list.item(0)->setSelected(true); // with "three", the new line
        QCOMPARE(list.CopyText(false), QStringLiteral("one\ntwo\nthree"));
        QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("one\nthree"));
        list.clearSelection();
        QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("one\ntwo\nthree"));
    }

    void progressBar_data()
    {
        QTest::addColumn<bool>("stepped");
        QTest::addColumn<int>("stepSize");
        QTest::addColumn<int>("steps"); // 0: SetSteps not called
        QTest::addColumn<int>("stepCount");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::newRow("default 20 steps of 5") << true << 5 << 0 << 3 << 20 << 15;
        QTest::newRow("full after four steps") << true << 5 << 0 << 6 << 20 << 20;
        QTest::newRow("firmware blocks") << true << 1 << 37 << 36 << 37 << 36;
        QTest::newRow("running ignores both") << false << 5 << 37 << 3 << 0 << -1; // -1: unchanged
    }

    void progressBar()
    {
        QFETCH(bool, stepped);
        QFETCH(int, stepSize);
        QFETCH(int, steps);
        QFETCH(int, stepCount);
        QFETCH(int, maximum);
        QFETCH(int, value);
        CDlgProgress progress(nullptr, stepped, stepSize);
        const int before = progress.Bar()->value();
        if (steps > 0)
            progress.SetSteps(steps);
        for (int i = 0; i < stepCount; ++i)
            progress.Step();
        QCOMPARE(progress.Bar()->maximum(), maximum);
        QCOMPARE(progress.Bar()->value(), value < 0 ? before : value);
    }

    void progressTextFits_data()
    {
        QTest::addColumn<QStringList>("texts"); // set one after the other on the open window
        QTest::newRow("connecting") << QStringList{"Connecting with Pellworth Protocol at 115200 baud"};
        QTest::newRow("short, then long") << QStringList{"Retrieving status file...",
                                                         "Attempting to connect with COM3 at 115200 baud to Lobby"};
        QTest::newRow("long, then short") << QStringList{QString(90, QLatin1Char('W')), "Reset"};
    }

    // Each text is shown whole: the window widens for a longer one (and keeps its width after).
    void progressTextFits()
    {
        QFETCH(QStringList, texts);
        CDlgProgress progress(nullptr, false);
        progress.open();
        auto* line = progress.findChild<QLabel*>(QStringLiteral("1011"));
        int widest = 0;
        for (const QString& text : texts) {
            progress.SetText(text);
            widest = std::max(widest, line->fontMetrics().horizontalAdvance(text));
            QTRY_VERIFY2(line->contentsRect().width() >= line->fontMetrics().horizontalAdvance(text), qPrintable(text));
            QVERIFY(progress.width() >= widest);
        }
        progress.Finish();
    }

    void progressEnds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("abortEnabled");
        QTest::addColumn<int>("aborted");
        QTest::addColumn<int>("result"); // -1: still open
        QTest::newRow("Abort") << "1017" << true << 1 << int(QDialog::Rejected);
        QTest::newRow("Esc") << "Esc" << true << 1 << int(QDialog::Rejected);
        QTest::newRow("title bar") << "close" << true << 1 << int(QDialog::Rejected);
        QTest::newRow("Enter") << "Enter" << true << 0 << -1;
        QTest::newRow("Esc, Abort disabled") << "Esc" << false << 0 << -1;
        QTest::newRow("title bar, Abort disabled") << "close" << false << 0 << -1;
        QTest::newRow("Finish") << "Finish" << false << 0 << int(QDialog::Accepted);
    }

    void progressEnds()
    {
        QFETCH(QString, how);
        QFETCH(bool, abortEnabled);
        QFETCH(int, aborted);
        QFETCH(int, result);
        CDlgProgress progress(nullptr, false);
        QSignalSpy abortSpy(&progress, &CDlgProgress::abortRequested);
        QSignalSpy finished(&progress, &QDialog::finished);
        progress.open();
        progress.EnableAbort(abortEnabled);
        if (how == "Esc" || how == "Enter")
            QTest::keyClick(&progress, how == "Esc" ? Qt::Key_Escape : Qt::Key_Return);
        else if (how == "close")
            progress.close();
        else if (how == "Finish")
            progress.Finish();
        else
            QTest::mouseClick(progress.findChild<QPushButton*>(how), Qt::LeftButton);
        QCOMPARE(abortSpy.count(), aborted);
        QCOMPARE(progress.isVisible(), result < 0);
        if (result >= 0)
            QCOMPARE(finished.value(0).value(0).toInt(), result);
    }

    // Filled on opening, refilled with the filter; the choice follows the lists; ended by a button.
    void configDialog_data()
    {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("the display's zone") << "(GMT) Casablanca, Monrovia" << "(GMT) Casablanca, Monrovia"
                                            << "downloadConfiguration" << int(QDialog::Accepted);
        // A zone the list does not have is not shown as another one: none, and no download yet.
        QTest::newRow("none") << "" << "" << "cancel" << int(QDialog::Rejected);
        QTest::newRow("unknown") << "(GMT+6:30) Rangoon" << "" << "downloadConfiguration" << int(QDialog::Accepted);
    }

    // The display's own type (key 10) is selected where a list has it, else none; the download
    // needs a type and a zone.
    void configDialog()
    {
        QFETCH(QString, initial);
        QFETCH(QString, selected);
        QFETCH(QString, button);
        QFETCH(int, result);
        const ConfigurationLists lists = Lists(initial.toStdString());
        CConfigDownload dialog(lists);
        QSignalSpy finished(&dialog, &QDialog::finished);
        auto* filters = dialog.findChild<QComboBox*>("generationFilter");
        auto* types = dialog.findChild<QListWidget*>("desiredSignConfiguration");
        auto* zones = dialog.findChild<QComboBox*>("timeZone");
        auto* download = dialog.findChild<QPushButton*>("downloadConfiguration");
        QCOMPARE(filters->currentText(), QStringLiteral("All"));
        QCOMPARE(Texts(*types), QStringList({"32x80 Mono64 - Gen 1", "32x80 Mono64 - Gen 2"}));
        QCOMPARE(zones->count(), 3);
        QCOMPARE(zones->currentText(), selected);
        QCOMPARE(dialog.Choice().nKey, 10);
        QCOMPARE(QString::fromStdString(dialog.Choice().strTimeZone), selected);
        QCOMPARE(download->isEnabled(), !selected.isEmpty());

        filters->setCurrentIndex(1); // refilled, the display's own type selected
        QCOMPARE(Texts(*types), QStringList({"48x160 RGB32K", "32x80 Mono64"}));
        QCOMPARE(dialog.Choice().nKey, 10);
        filters->setCurrentIndex(2); // without it: none
        QCOMPARE(dialog.Choice().nKey, -1);
        QVERIFY(!download->isEnabled());
        filters->setCurrentIndex(1);
        types->setCurrentRow(0);
        zones->setCurrentIndex(2);
        QVERIFY(download->isEnabled());
        QCOMPARE(dialog.Choice().nKey, 3);
        QCOMPARE(dialog.Choice().strTimeZone, std::string("(GMT-05:00) Eastern Time (US & Canada);Bogota, Lima, Quito"));
        dialog.open();
        QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(finished, QList<QVariantList>{{result}});
    }

    void configWithoutTypes()
    {
        ConfigurationLists noTypes = Lists("");
        noTypes.typesOf = nullptr;
        QCOMPARE(CConfigDownload(noTypes).Choice().nKey, -1); // nothing to choose, and no crash
    }
};

QTEST_MAIN(WidgetsTest)
#include "WidgetsTest.moc"
