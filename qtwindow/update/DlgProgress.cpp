#include "qtwindow/update/DlgProgress.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// A stepped bar's range until the operation sets its own number of steps.
constexpr int kDefaultSteps = 20;
// The window's least width, so that most texts fit without it changing its width.
constexpr int kTextChars = 45;
} // namespace

CDlgProgress::CDlgProgress(QWidget* parent, bool stepped, int stepSize)
    : QDialog(parent), m_bStepped(stepped), m_nStepSize(stepSize)
{
    setWindowTitle(QStringLiteral("Communicating"));
    setModal(true);
    // A window without the context help button; centred over the parent by QDialog on showing.
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    // The text line's least width is its text's: a longer text widens the window (it never
    // narrows during the operation), so no text is cut.
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("1011"));
    m_text->setTextFormat(Qt::PlainText);

    m_bar = new QProgressBar(this);
    m_bar->setMinimumWidth(fontMetrics().averageCharWidth() * kTextChars);
    m_bar->setObjectName(QStringLiteral("5673"));
    m_bar->setTextVisible(false);
    if (m_bStepped) {
        m_bar->setRange(0, kDefaultSteps);
        m_bar->setValue(0);
    } else {
        m_bar->setRange(0, 0); // runs until the operation ends
    }

    m_abort = new QPushButton(QStringLiteral("&Abort"), this);
    m_abort->setObjectName(QStringLiteral("1017"));
    // Enter must not abort a transfer by accident: Abort is never the default button.
    m_abort->setAutoDefault(false);
    m_abort->setDefault(false);
    connect(m_abort, &QPushButton::clicked, this, &CDlgProgress::OnAbort);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_abort);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

void CDlgProgress::SetText(const QString& text)
{
    m_text->setText(text);
}

QString CDlgProgress::Text() const
{
    return m_text->text();
}

void CDlgProgress::SetSteps(int steps)
{
    if (m_bStepped)
        m_bar->setRange(0, std::max(0, steps));
}

void CDlgProgress::Step()
{
    if (!m_bStepped)
        return;
    // Clamped at the upper end: a step too many leaves the bar full.
    const long long next = static_cast<long long>(m_bar->value()) + m_nStepSize;
    m_bar->setValue(static_cast<int>(std::clamp<long long>(next, m_bar->minimum(), m_bar->maximum())));
}

void CDlgProgress::EnableAbort(bool enable)
{
    m_abort->setEnabled(enable);
}

void CDlgProgress::Finish()
{
    m_bEnding = true;
    accept();
}

void CDlgProgress::OnAbort()
{
    if (!m_abort->isEnabled() || m_bEnding)
        return;
    m_bEnding = true;
    emit abortRequested();
    reject();
}

void CDlgProgress::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        OnAbort();
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CDlgProgress::closeEvent(QCloseEvent* event)
{
    // Our own ending passes; the title bar's close is Abort, or nothing once Abort is disabled.
    if (m_bEnding) {
        event->accept();
        return;
    }
    event->ignore();
    OnAbort();
}
