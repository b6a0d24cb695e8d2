#include "qtwindow/verify/VerificationPage.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char kPurpose[] =
    "The Verification Wizard is used in conjunction with the Pellworth LED Reader Board Verification Test Form.";
const char kBeforeStart[] = "Before starting the wizard, you must be connected to the sign and it should be "
                            "displaying the first factory programmed message reading \"Pellworth\".  After "
                            "finishing the wizard, the connection will be closed.";

QLabel* MakeText(const char* text, const QString& name, QWidget* parent)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText); // keeps the quotes and the double blank as written
    label->setWordWrap(true);
    return label;
}

} // namespace

CDlgVerificationPage::CDlgVerificationPage(QWidget* parent) : QWidget(parent)
{
    m_start = new QPushButton(QStringLiteral("Start Wizard..."), this);
    m_start->setObjectName(QStringLiteral("startWizard"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeText(kPurpose, QStringLiteral("wizardPurpose"), this));
    layout->addWidget(MakeText(kBeforeStart, QStringLiteral("wizardBeforeStart"), this));
    layout->addWidget(m_start, 0, Qt::AlignLeft);
    layout->addStretch(1);

    connect(m_start, &QPushButton::clicked, this, &CDlgVerificationPage::startWizardRequested);

    EnablePage(false);
}

void CDlgVerificationPage::EnablePage(bool enable)
{
    m_start->setEnabled(enable);
}
