#include "qtwindow/connection/SystemPage.h"

#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char kCleanupQuestion[] = "This process may take several minutes.\nDo you want to continue?";

} // namespace

CDlgSystemPage::CDlgSystemPage(QWidget* parent) : QWidget(parent)
{
    m_reset = new QPushButton(QStringLiteral("Reset Display"), this);
    m_reset->setObjectName(QStringLiteral("1017"));
    m_cleanup = new QPushButton(QStringLiteral("Memory Cleanup"), this);
    m_cleanup->setObjectName(QStringLiteral("1039"));
    m_setTime = new QPushButton(QStringLiteral("Set Time/Date"), this);
    m_setTime->setObjectName(QStringLiteral("1047"));

    auto* layout = new QVBoxLayout(this);
    for (QPushButton* button : {m_reset, m_cleanup, m_setTime})
        layout->addWidget(button, 0, Qt::AlignLeft);
    layout->addStretch(1);

    connect(m_reset, &QPushButton::clicked, this, &CDlgSystemPage::resetRequested);
    connect(m_setTime, &QPushButton::clicked, this, &CDlgSystemPage::setTimeRequested);
    connect(m_cleanup, &QPushButton::clicked, this, [this] {
        // The cleanup ends the connection and keeps the controller busy: the operator confirms first.
        const auto answer = QMessageBox::question(this, QStringLiteral("QVXFirmInstaller"),
                                                  QString::fromLatin1(kCleanupQuestion),
                                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer == QMessageBox::Yes)
            emit memoryCleanupRequested();
    });

    EnablePage(false);
}

void CDlgSystemPage::EnablePage(bool enable)
{
    for (QPushButton* button : {m_reset, m_cleanup, m_setTime})
        button->setEnabled(enable);
}
