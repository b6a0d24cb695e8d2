#include "qtwindow/verify/VerificationTestWizard.h"

#include "connection/InstallerCore.h"
#include "connection/KeepAliveTimer.h"
#include "files/DecimalText.h"
#include "verify/FactoryMessages.h"
#include "verify/HoldTime.h"
#include "verify/VerificationTest.h"
#include "qtwindow/verify/MessagePictures.h"
#include "qtwindow/widgets/NumberBox.h"
#include "qtwindow/widgets/ToolText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <QWizardPage>

#include <algorithm>
#include <functional>
#include <chrono>

namespace {

// ---- Texts --------------------------------------------------------------------------------------

const char kNotStandardTitle[] = "Connected display is not a standard display";
const char kNotStandardIntro[] = "WARNING!!  This display is not one of the standard displays.  The standard "
                                 "displays are the following:";
const char* const kStandardDisplays[] = {"32x80 Monochrome or RGB", "32x128 Monochrome or RGB",
                                         "48x160 Monochrome or RGB", "64x224 Monochrome or RGB"};
const char* const kNotStandardChoices[] = {"1.  Press \"Cancel\"  to exit the wizard   OR",
                                           "2.  Press \"Next\" to continue the wizard, but skip unsupported steps"};

const char kMessageOneTitle[] = "Establish reader board communication with message one";
const char kMessageOneIntro[] = "Click the \"Send Message\" button to send message one to the sign.  The message "
                                "will contain the following content:";
const char* const kMessageOneLines[] = {
    "- Line One:  1111111111111 (Entire row is filled with the number one)",
    "- Line Two:  2222222222222 (Entire row is filled with the number two)",
    "- Line Three:  3333333333333 (Entire row is filled with the number three)"};

const char kMessageOneCheckTitle[] = "Verify Text Orientation and LED panels with message one";
const char kMessageOneCheck[] = "Verify that the sign is showing message one correctly by taking a photo.  The "
                                "sign should display something like the following:";

const char kMessageTwoTitle[] = "Establish reader board communication with message two";
const char kMessageTwoIntro[] = "Enter the store number and click the \"Send Message\" button to send message two "
                                "to the sign.  The message will contain the following content:";
const char kStoreLine[] = "- Line One:  Store Number";
const char kDateLine[] = "- Line Two:  Date";
const char kTemperatureLine[] = "- Line Three:  Temperature";

const char kMessageTwoCheckTitle[] = "Verify Text Orientation and LED panels with message two";
const char kMessageTwoCheck[] = "Verify that the sign is showing message two correctly by taking a photo.  The "
                                "sign should display something like the following:";

const char kFactoryTitle[] = "Restore Factory Pre-loaded messages";
const char kFactoryIntro[] = "Click the \"Restore\" button to delete all Sable 2200 files from the display and "
                             "have the following messages display in 15 minute intervals.";
const char* const kFactoryMessages[] = {"- Opening Soon",    "- Now Hiring",     "- Flexibile Hours",
                                        "- Opening Soon",    "- Great Benefits", "- Paid Vacation",
                                        "- Opening Soon",    "- Join our Team"};
const char kHoldTimeLabel[] = "Hold time for each frame";
const char kWarningTitle[] = "WARNING!!";
const char kFactoryWarning[] =
    "These messages will not be loaded to the display since it is not one of the standard displays.";

const char kSendMessage[] = "&Send Message";
const char kRestore[] = "&Restore";

// A store number is a few digits; the box takes no more than this.
constexpr int kMaxStoreDigits = 16;
// Enough digits for any hold time (a day in seconds has five); more are cut off as typed.
constexpr int kMaxHoldDigits = 9;

// ---- Helpers ------------------------------------------------------------------------------------

QLabel* MakeText(const QString& text, const char* name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText); // quotes and double blanks stay as written
    label->setWordWrap(true);
    return label;
}

// Lines one under the other, set in a little from the text above.
template <std::size_t N>
QLabel* MakeList(const char* const (&lines)[N], const char* name, QWidget* parent)
{
    QStringList texts;
    for (const char* line : lines)
        texts << QString::fromLatin1(line);
    QLabel* label = MakeText(texts.join(QLatin1Char('\n')), name, parent);
    label->setWordWrap(false);
    label->setIndent(label->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 2);
    return label;
}

QPushButton* MakeButton(const char* text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// A check page's picture of what the display shows; its lines are the picture's description.
void ShowPicture(QLabel* picture, const LedBoard& board, bool amber)
{
    picture->setPixmap(QPixmap::fromImage(DrawBoard(board, amber)));
    QStringList lines;
    for (const std::string& line : board.lines)
        lines << FromTool(line);
    picture->setAccessibleDescription(lines.join(QLatin1Char('\n')));
}

// ---- The wizard's keep-alive --------------------------------------------------------------------

// A window timer for the test's keep-alive: it fires on the window's thread, so the refresh runs
// there like any step. Start and Stop come from the link's workers too and are passed over.
class CWindowKeepAliveTimer final : public IKeepAliveTimer {
public:
    explicit CWindowKeepAliveTimer(std::function<void()> onExpired)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(onExpired));
    }
    void Start(std::chrono::milliseconds period) override
    {
        QMetaObject::invokeMethod(&m_timer, [this, period] { m_timer.start(period); });
    }
    void Stop() override
    {
        QMetaObject::invokeMethod(&m_timer, [this] { m_timer.stop(); });
    }

private:
    QTimer m_timer;
};

// ---- The pages ----------------------------------------------------------------------------------

class CWizardPageBase : public QWizardPage {
public:
    CWizardPageBase(CVerificationTestWizard& wizard, const char* title, const char* name)
        : QWizardPage(&wizard), m_wizard(wizard), m_layout(new QVBoxLayout(this))
    {
        setObjectName(QString::fromLatin1(name));
        setTitle(QString::fromLatin1(title));
    }

protected:
    CVerificationTestWizard& m_wizard;
    QVBoxLayout* m_layout;
};

// Shown first for a display that none of the messages and factory sets are made for.
class CPPNotStandard final : public CWizardPageBase {
public:
    explicit CPPNotStandard(CVerificationTestWizard& wizard)
        : CWizardPageBase(wizard, kNotStandardTitle, "notStandardPage")
    {
        m_layout->addWidget(MakeText(QString::fromLatin1(kNotStandardIntro), "notStandardIntro", this));
        m_layout->addWidget(MakeList(kStandardDisplays, "standardDisplays", this));
        m_layout->addWidget(MakeList(kNotStandardChoices, "notStandardChoices", this));
        m_layout->addStretch(1);
    }
};

// A page whose "Send Message" runs a step and then moves on; Next stays off (the step is the way on).
class CSendPage : public CWizardPageBase {
public:
    CSendPage(CVerificationTestWizard& wizard, const char* title, const char* name, const char* sendName)
        : CWizardPageBase(wizard, title, name), m_send(MakeButton(kSendMessage, sendName, this))
    {
        connect(m_send, &QPushButton::clicked, this, [this] { OnSend(); });
    }
    bool isComplete() const override { return false; }

protected:
    virtual void RunStep() = 0;
    QPushButton* m_send;

private:
    void OnSend()
    {
        if (!m_send->isEnabled())
            return;
        RunStep();
        if (m_wizard.isVisible() && m_wizard.currentPage() == this)
            m_wizard.next();
    }
};

class CPPMsgOne final : public CSendPage {
public:
    explicit CPPMsgOne(CVerificationTestWizard& wizard)
        : CSendPage(wizard, kMessageOneTitle, "messageOnePage", "sendMessageOne")
    {
        m_layout->addWidget(MakeText(QString::fromLatin1(kMessageOneIntro), "messageOneIntro", this));
        m_layout->addWidget(MakeList(kMessageOneLines, "messageOneLines", this));
        m_layout->addWidget(m_send, 0, Qt::AlignLeft);
        m_layout->addStretch(1);
    }

private:
    void RunStep() override { m_wizard.SendMessageOne(); }
};

// A photo check: the text and the picture of what the display should show, with a note when the
// display cannot show all of it.
class CCheckPage final : public CWizardPageBase {
public:
    CCheckPage(CVerificationTestWizard& wizard, const char* title, const char* name, const char* text,
               const char* textName, const char* pictureName)
        : CWizardPageBase(wizard, title, name), m_picture(new QLabel(this)), m_note(new QLabel(this))
    {
        m_picture->setObjectName(QString::fromLatin1(pictureName));
        m_picture->setAlignment(Qt::AlignCenter);
        m_note->setObjectName(QString::fromLatin1(pictureName) + QStringLiteral("Note"));
        m_note->setWordWrap(true);
        m_note->setAlignment(Qt::AlignCenter);
        m_note->hide();
        m_layout->addWidget(MakeText(QString::fromLatin1(text), textName, this));
        m_layout->addWidget(m_picture);
        m_layout->addWidget(m_note);
        m_layout->addStretch(1);
    }

    void Show(const LedBoard& board, bool amber)
    {
        ShowPicture(m_picture, board, amber);
        m_note->setText(QStringLiteral("A line is wider than the display: the sign shows only the middle of it."));
        m_note->setVisible(board.bCut);
    }

private:
    QLabel* m_picture;
    QLabel* m_note;
};

class CPPMsgTwo final : public CSendPage {
public:
    explicit CPPMsgTwo(CVerificationTestWizard& wizard)
        : CSendPage(wizard, kMessageTwoTitle, "messageTwoPage", "sendMessageTwo"), m_store(new QLineEdit(this))
    {
        m_store->setObjectName(QStringLiteral("storeNumber"));
        m_store->setMaxLength(kMaxStoreDigits);
        m_store->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_store));

        auto* lines = new QGridLayout;
        lines->setContentsMargins(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 2, 0, 0, 0);
        QLabel* store = MakeText(QString::fromLatin1(kStoreLine), "storeLine", this);
        QLabel* date = MakeText(QString::fromLatin1(kDateLine), "dateLine", this);
        QLabel* temperature = MakeText(QString::fromLatin1(kTemperatureLine), "temperatureLine", this);
        for (QLabel* line : {store, date, temperature})
            line->setWordWrap(false);
        store->setBuddy(m_store);
        lines->addWidget(store, 0, 0);
        lines->addWidget(m_store, 0, 1);
        lines->addWidget(date, 1, 0);
        lines->addWidget(temperature, 2, 0);
        lines->setColumnStretch(2, 1);

        m_layout->addWidget(MakeText(QString::fromLatin1(kMessageTwoIntro), "messageTwoIntro", this));
        m_layout->addLayout(lines);
        m_layout->addWidget(m_send, 0, Qt::AlignLeft);
        m_layout->addStretch(1);

        setTabOrder(m_store, m_send); // the page opens in the store number box
        connect(m_store, &QLineEdit::textChanged, this, [this] { UpdateSend(); });
        // Enter in the box sends, as the button would.
        connect(m_store, &QLineEdit::returnPressed, m_send, &QPushButton::click);
    }

    void initializePage() override { UpdateSend(); }

private:
    void UpdateSend() { m_send->setEnabled(!m_store->text().isEmpty()); }
    void RunStep() override { m_wizard.SendMessageTwo(m_store->text()); }

    QLineEdit* m_store;
};

class CPPFactoryMsgs final : public CWizardPageBase {
public:
    explicit CPPFactoryMsgs(CVerificationTestWizard& wizard)
        : CWizardPageBase(wizard, kFactoryTitle, "factoryPage"),
          m_value(new CNumberBox(kMaxHoldDigits, this)),
          m_note(new QLabel(this)),
          m_unit(new QComboBox(this)),
          m_restore(MakeButton(kRestore, "restore", this))
    {
        m_value->setObjectName(QStringLiteral("holdTime"));
        m_note->setObjectName(QStringLiteral("holdTimeNote"));
        m_unit->setObjectName(QStringLiteral("holdUnit"));
        for (HoldUnit unit : {HoldUnit::Seconds, HoldUnit::Minutes, HoldUnit::Hours})
            m_unit->addItem(QString::fromLatin1(HoldUnitText(unit)), static_cast<int>(unit));

        auto* hold = new QHBoxLayout;
        QLabel* holdLabel = MakeText(QString::fromLatin1(kHoldTimeLabel), "holdTimeLabel", this);
        holdLabel->setWordWrap(false);
        holdLabel->setBuddy(m_value);
        hold->addWidget(holdLabel);
        hold->addWidget(m_value);
        hold->addWidget(m_unit);
        hold->addWidget(m_note);
        hold->addStretch(1);

        auto* warning = new QGroupBox(QString::fromLatin1(kWarningTitle), this);
        warning->setObjectName(QStringLiteral("factoryWarning"));
        auto* warningLayout = new QVBoxLayout(warning);
        warningLayout->addWidget(MakeText(QString::fromLatin1(kFactoryWarning), "factoryWarningText", warning));
        warning->setVisible(wizard.IsNotStandardDisplay());

        m_layout->addWidget(MakeText(QString::fromLatin1(kFactoryIntro), "factoryIntro", this));
        m_layout->addWidget(MakeList(kFactoryMessages, "factoryMessages", this));
        m_layout->addLayout(hold);
        m_layout->addWidget(warning);
        m_layout->addWidget(m_restore, 0, Qt::AlignLeft);
        m_layout->addStretch(1);

        const bool editable = wizard.IsHoldTimeEditable();
        m_value->setEnabled(editable);
        m_unit->setEnabled(editable);

        connect(m_unit, &QComboBox::currentIndexChanged, this, [this] { OnUnitChanged(); });
        connect(m_value, &CNumberBox::textChanged, this, [this] { UpdateRefusal(); });
        connect(m_restore, &QPushButton::clicked, this, [this] { OnRestore(); });
    }

    void initializePage() override
    {
        SelectUnit(HoldUnit::Minutes);
        m_value->SetText(QString::number(kDefaultHoldMinutes));
        UpdateRefusal();
    }

    // Finish comes with the restore.
    bool isComplete() const override { return m_bRestored; }

private:
    HoldUnit CurrentUnit() const { return static_cast<HoldUnit>(m_unit->currentData().toInt()); }

    // Without converting the box: it is set for the new unit by the caller.
    void SelectUnit(HoldUnit unit)
    {
        {
            const QSignalBlocker quiet(m_unit);
            m_unit->setCurrentIndex(m_unit->findData(static_cast<int>(unit)));
        }
        m_shownUnit = unit;
        m_value->SetRange(1, HoldTimeMaximum(unit));
        UpdateRefusal();
    }

    // A hold time outside 1 .. a day is refused where it is typed: the note says what is taken and
    // "Restore" waits for it. An empty box is taken as the 15 minutes the messages are made for.
    bool IsRefused() const { return !m_value->IsEmpty() && !m_value->IsInRange(); }
    void UpdateRefusal()
    {
        const bool refused = IsRefused();
        m_note->setText(refused ? QStringLiteral("Enter 1 to %1 %2")
                                      .arg(m_value->Maximum())
                                      .arg(QString::fromLatin1(HoldUnitText(CurrentUnit())))
                                : QString());
        m_restore->setEnabled(!m_bRestored && !refused);
    }

    // The value keeps its time: 15 min become 900 sec. An empty box stays empty.
    void OnUnitChanged()
    {
        const HoldUnit unit = CurrentUnit();
        const QString text = m_value->text();
        if (!text.isEmpty())
            m_value->SetText(QString::number(ConvertHoldTime(DecimalValue(ToTool(text)), m_shownUnit, unit)));
        m_shownUnit = unit;
        m_value->SetRange(1, HoldTimeMaximum(unit));
        UpdateRefusal();
    }

    void OnRestore()
    {
        if (IsRefused())
            return;
        const bool empty = m_value->IsEmpty();
        const HoldTime hold = ReadHoldTime(ToTool(m_value->text()), CurrentUnit());
        if (empty)
            SelectUnit(hold.unit);
        m_wizard.RestoreFactoryMessages(hold.nMilliseconds);
        m_restore->setEnabled(false);
        m_value->setEnabled(false);
        m_unit->setEnabled(false);
        m_bRestored = true;
        emit completeChanged();
    }

    CNumberBox* m_value;
    QLabel* m_note;
    QComboBox* m_unit;
    QPushButton* m_restore;
    HoldUnit m_shownUnit = HoldUnit::Minutes;
    bool m_bRestored = false;
};

} // namespace

// ---- The wizard ---------------------------------------------------------------------------------

CVerificationTestWizard::CVerificationTestWizard(CInstallerCore& core, int address, const VerificationDisplay& display,
                                                 QWidget* parent)
    : QWizard(parent),
      m_core(core),
      m_display(display),
      m_bNotStandard(!IsStandardDisplay(display)),
      m_bHoldTimeEditable(!display.bFirmwareLine),
      m_bMonochrome(IsMonoBitCode(display.nColourBitCode))
{
    auto timer = std::make_unique<CWindowKeepAliveTimer>([this] {
        if (m_test)
            m_test->OnKeepAlive();
    });
    m_test = std::make_unique<CVerificationTest>(core, address, display, std::move(timer));

    setObjectName(QStringLiteral("verificationWizard"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWizardStyle(ClassicStyle);
    setOption(HaveHelpButton, false);
    setOption(NoBackButtonOnStartPage, false);
    // The factory page offers no way back: its restore has wiped what the earlier pages sent.
    setOption(DisabledBackButtonOnLastPage, true);

    if (m_bNotStandard)
        setPage(NotStandardPage, new CPPNotStandard(*this));
    setPage(MessageOnePage, new CPPMsgOne(*this));
    auto* checkOne = new CCheckPage(*this, kMessageOneCheckTitle, "messageOneCheckPage", kMessageOneCheck,
                                    "messageOneCheck", "messageOnePicture");
    setPage(MessageOneCheckPage, checkOne);
    setPage(MessageTwoPage, new CPPMsgTwo(*this));
    m_checkTwo = new CCheckPage(*this, kMessageTwoCheckTitle, "messageTwoCheckPage", kMessageTwoCheck,
                                "messageTwoCheck", "messageTwoPicture");
    setPage(MessageTwoCheckPage, m_checkTwo);
    setPage(FactoryPage, new CPPFactoryMsgs(*this));

    // Message one's picture depends on the display alone; message two's on what is sent.
    checkOne->Show(MessageOneBoard(display), m_bMonochrome);
    static_cast<CCheckPage*>(m_checkTwo)->Show(MessageTwoBoard(display, {}), m_bMonochrome);

    // Room from the start for the pictures and for the page titles on one line, so that the sheet
    // does not grow from page to page.
    const QFontMetrics metrics = fontMetrics();
    resize(sizeHint().expandedTo(QSize(metrics.averageCharWidth() * 110, metrics.height() * 28)));
}

CVerificationTestWizard::~CVerificationTestWizard()
{
    ReleaseLink();
}

void CVerificationTestWizard::ReleaseLink()
{
    m_test.reset();
}

void CVerificationTestWizard::SendMessageOne()
{
    if (!m_test)
        return;
    m_test->SendMessageOne();
    emit stepFinished();
}

void CVerificationTestWizard::SendMessageTwo(const QString& storeNumber)
{
    if (!m_test)
        return;
    const std::string store = ToTool(storeNumber);
    m_test->SendMessageTwo(store);
    // The picture shows what the display was sent: the number typed, the date of the clock just
    // set in the display's own zone and the temperature it last reported.
    std::vector<std::string> lines;
    {
        auto hold = m_core.Session().HoldLink();
        lines = SentMessageTwoLines(m_core.Session().StatusDoc(), store, m_test->ClockSetTo());
    }
    static_cast<CCheckPage*>(m_checkTwo)->Show(MessageTwoBoard(m_display, lines), m_bMonochrome);
    emit stepFinished();
}

void CVerificationTestWizard::RestoreFactoryMessages(unsigned long holdTimeMs)
{
    if (!m_test)
        return;
    m_test->RestoreFactoryMessages(holdTimeMs);
    emit stepFinished();
}

void CVerificationTestWizard::done(int result)
{
    QWizard::done(result);
    if (!isVisible()) // closed (Finish is refused only by a page that does not validate)
        ReleaseLink();
}

void CVerificationTestWizard::showEvent(QShowEvent* event)
{
    if (!m_bTitled) {
        m_bTitled = true;
        setWindowTitle(QString::fromLatin1(kSheetTitle));
        if (m_test)
            m_test->StartKeepAlive();
    }
    QWizard::showEvent(event);
}

WizardEnd RunVerificationWizard(QWidget* parent, CInstallerCore& core, int address)
{
    CVerificationTestWizard wizard(core, address, ConnectedVerificationDisplay(core), parent);
    return wizard.exec() == QDialog::Accepted ? WizardEnd::Finished : WizardEnd::Cancelled;
}
