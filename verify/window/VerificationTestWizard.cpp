#include "verify/window/VerificationTestWizard.h"

#include "connection/KeepAliveTimer.h"
#include "files/DecimalText.h"
#include "res/Resources.h"
#include "res/verify/VerifyResources.h"
#include "verify/FactoryMessages.h"
#include "verify/HoldTime.h"
#include "verify/VerificationTest.h"
#include "widgets/ToolText.h"

#include <QAbstractSpinBox>
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

// One of the embedded pictures; a null pixmap when the program carries none.
QPixmap EmbeddedPicture(int id)
{
    QPixmap picture;
    const auto bytes = qvxres::FindEmbeddedResource(qvxres::verify::kPictureType, id);
    if (!bytes.empty())
        picture.loadFromData(bytes.data(), static_cast<uint>(bytes.size()), "PNG");
    return picture;
}

QLabel* MakePicture(int id, const char* name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setPixmap(EmbeddedPicture(id));
    label->setAlignment(Qt::AlignCenter);
    return label;
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

// ---- The hold time box --------------------------------------------------------------------------

// A number box with up and down arrows whose text may also be empty (the restore then takes 15
// minutes): digits only; the arrows step within 1 .. the unit's maximum.
class CHoldTimeBox final : public QAbstractSpinBox {
public:
    explicit CHoldTimeBox(QWidget* parent) : QAbstractSpinBox(parent)
    {
        lineEdit()->setMaxLength(kMaxHoldDigits);
        setAccelerated(true);
    }

    void SetMaximum(long long maximum)
    {
        m_nMaximum = std::max(1LL, maximum);
        update(); // the arrows' enabling
    }
    void SetText(const QString& text) { lineEdit()->setText(text); }

    void stepBy(int steps) override
    {
        const long long value = text().isEmpty() ? 0 : DecimalValue(ToTool(text()));
        SetText(QString::number(std::clamp(value + steps, 1LL, m_nMaximum)));
    }

    QValidator::State validate(QString& input, int&) const override
    {
        if (input.size() > kMaxHoldDigits)
            return QValidator::Invalid;
        const bool digits =
            std::all_of(input.cbegin(), input.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        return digits ? QValidator::Acceptable : QValidator::Invalid;
    }

    QSize sizeHint() const override
    {
        QSize size = QAbstractSpinBox::sizeHint();
        size.rwidth() += fontMetrics().horizontalAdvance(QStringLiteral("000000"));
        return size;
    }

protected:
    StepEnabled stepEnabled() const override
    {
        if (isReadOnly() || !isEnabled())
            return StepNone;
        const long long value = text().isEmpty() ? 0 : DecimalValue(ToTool(text()));
        StepEnabled enabled = StepNone;
        if (value < m_nMaximum)
            enabled |= StepUpEnabled;
        if (value > 1)
            enabled |= StepDownEnabled;
        return enabled;
    }

private:
    long long m_nMaximum = HoldTimeMaximum(HoldUnit::Minutes);
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

// A photo check: the text and the picture of what the display should show.
class CCheckPage final : public CWizardPageBase {
public:
    CCheckPage(CVerificationTestWizard& wizard, const char* title, const char* name, const char* text,
               const char* textName, int pictureId, const char* pictureName)
        : CWizardPageBase(wizard, title, name)
    {
        m_layout->addWidget(MakeText(QString::fromLatin1(text), textName, this));
        m_layout->addWidget(MakePicture(pictureId, pictureName, this));
        m_layout->addStretch(1);
    }
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
          m_value(new CHoldTimeBox(this)),
          m_unit(new QComboBox(this)),
          m_restore(MakeButton(kRestore, "restore", this))
    {
        m_value->setObjectName(QStringLiteral("holdTime"));
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
        connect(m_restore, &QPushButton::clicked, this, [this] { OnRestore(); });
    }

    void initializePage() override
    {
        SelectUnit(HoldUnit::Minutes);
        m_value->SetText(QString::number(kDefaultHoldMinutes));
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
        m_value->SetMaximum(HoldTimeMaximum(unit));
    }

    // The value keeps its time: 15 min become 900 sec. An empty box stays empty.
    void OnUnitChanged()
    {
        const HoldUnit unit = CurrentUnit();
        const QString text = m_value->text();
        if (!text.isEmpty())
            m_value->SetText(QString::number(ConvertHoldTime(DecimalValue(ToTool(text)), m_shownUnit, unit)));
        m_shownUnit = unit;
        m_value->SetMaximum(HoldTimeMaximum(unit));
    }

    void OnRestore()
    {
        const bool empty = m_value->text().isEmpty();
        const HoldTime hold = ReadHoldTime(ToTool(m_value->text()), CurrentUnit());
        if (empty)
            SelectUnit(hold.unit);
        else
            m_value->SetText(QString::number(hold.nValue)); // clamped into the range
        m_wizard.RestoreFactoryMessages(hold.nMilliseconds);
        m_restore->setEnabled(false);
        m_value->setEnabled(false);
        m_unit->setEnabled(false);
        m_bRestored = true;
        emit completeChanged();
    }

    CHoldTimeBox* m_value;
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

    namespace ids = qvxres::verify;
    const int pictureOne = m_bMonochrome ? ids::kPictureMessageOneAmber : ids::kPictureMessageOneWhite;
    const int pictureTwo = m_bMonochrome ? ids::kPictureMessageTwoAmber : ids::kPictureMessageTwoWhite;
    if (m_bNotStandard)
        setPage(NotStandardPage, new CPPNotStandard(*this));
    setPage(MessageOnePage, new CPPMsgOne(*this));
    setPage(MessageOneCheckPage, new CCheckPage(*this, kMessageOneCheckTitle, "messageOneCheckPage",
                                                kMessageOneCheck, "messageOneCheck", pictureOne,
                                                "messageOnePicture"));
    setPage(MessageTwoPage, new CPPMsgTwo(*this));
    setPage(MessageTwoCheckPage, new CCheckPage(*this, kMessageTwoCheckTitle, "messageTwoCheckPage",
                                                kMessageTwoCheck, "messageTwoCheck", pictureTwo,
                                                "messageTwoPicture"));
    setPage(FactoryPage, new CPPFactoryMsgs(*this));

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
    m_test->SendMessageTwo(ToTool(storeNumber));
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
