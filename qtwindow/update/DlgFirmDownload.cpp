#include "qtwindow/update/DlgFirmDownload.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

// A field that shows a text the page is given; selectable so a version can be copied.
QLabel* MakeField(const QString& name, QWidget* parent)
{
    auto* field = new QLabel(parent);
    field->setObjectName(name);
    field->setTextFormat(Qt::PlainText);
    field->setTextInteractionFlags(Qt::TextSelectableByMouse);
    field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return field;
}

} // namespace

CDlgFirmDownload::CDlgFirmDownload(QWidget* parent) : QWidget(parent)
{
    m_current = MakeField(QStringLiteral("currentFirmware"), this);
    m_recommended = MakeField(QStringLiteral("recommendedFirmware"), this);
    // Nothing tells the page when a firmware was built: these stay empty.
    QLabel* currentModified = MakeField(QStringLiteral("currentModified"), this);
    QLabel* recommendedModified = MakeField(QStringLiteral("recommendedModified"), this);

    m_other = new QCheckBox(QStringLiteral("Download a firmware version other than the recommended firmware"), this);
    m_other->setObjectName(QStringLiteral("otherFirmware"));
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("firmwarePath"));
    m_browse = new QPushButton(QStringLiteral("Browse ..."), this);
    m_browse->setObjectName(QStringLiteral("browse"));
    m_download = new QPushButton(QStringLiteral("Download Firmware"), this);
    m_download->setObjectName(QStringLiteral("downloadFirmware"));
    m_fileCheck = MakeField(QStringLiteral("firmwareFileCheck"), this);
    m_fileCheck->setWordWrap(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Current Firmware:"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Last Modified"), this), 0, 1);
    layout->addWidget(m_current, 1, 0);
    layout->addWidget(currentModified, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("Recommended Firmware:"), this), 2, 0);
    layout->addWidget(new QLabel(QStringLiteral("Last Modified"), this), 2, 1);
    layout->addWidget(m_recommended, 3, 0);
    layout->addWidget(recommendedModified, 3, 1);
    layout->addWidget(m_other, 4, 0, 1, 3);
    layout->addWidget(m_path, 5, 0, 1, 2);
    layout->addWidget(m_browse, 5, 2);
    layout->addWidget(m_fileCheck, 6, 0, 1, 3);
    layout->addWidget(m_download, 7, 0, Qt::AlignLeft);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(8, 1);

    setTabOrder(m_other, m_path);
    setTabOrder(m_path, m_browse);
    setTabOrder(m_browse, m_download);

    connect(m_browse, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("EXE Files (*.exe)"));
        if (path.isEmpty())
            return; // cancelled
        m_path->setText(QDir::toNativeSeparators(path));
        m_name = QFileInfo(path).fileName();
    });
    // A typed path names its own file: the kept name follows it.
    connect(m_path, &QLineEdit::textEdited, this, [this](const QString& path) { m_name = QFileInfo(path).fileName(); });
    connect(m_path, &QLineEdit::textChanged, this, [this](const QString& path) {
        if (IsOtherFirmware())
            emit firmwareFileChanged(path);
    });
    connect(m_other, &QCheckBox::toggled, this, &CDlgFirmDownload::OnOtherToggled);
    connect(m_download, &QPushButton::clicked, this, [this] {
        const bool other = IsOtherFirmware();
        if (other && FirmwarePath().isEmpty()) {
            QMessageBox::warning(this, QStringLiteral("QVXFirmInstaller"),
                                 QStringLiteral("Please enter a Firmware File before downloading."));
            return;
        }
        emit downloadRequested(other);
    });

    EnablePage(false);
}

void CDlgFirmDownload::EnablePage(bool enable)
{
    m_bEnabled = enable;
    UpdateEnabled();
}

void CDlgFirmDownload::UpdateEnabled()
{
    m_other->setEnabled(m_bEnabled);
    m_download->setEnabled(m_bEnabled);
    // The path is used only for another file: without the box it would look as if it were.
    m_path->setEnabled(m_bEnabled && IsOtherFirmware());
    m_browse->setEnabled(m_bEnabled && IsOtherFirmware());
}

void CDlgFirmDownload::OnOtherToggled(bool other)
{
    UpdateEnabled();
    if (other)
        emit firmwareFileChanged(FirmwarePath());
    else
        m_fileCheck->clear();
}

void CDlgFirmDownload::ShowFileCheck(const QString& text)
{
    m_fileCheck->setText(text);
}

void CDlgFirmDownload::SetCurrentFirmware(const QString& version)
{
    m_current->setText(version);
}

void CDlgFirmDownload::SetRecommendedFirmware(const QString& version)
{
    m_recommended->setText(version);
}

QString CDlgFirmDownload::FirmwarePath() const
{
    return m_path->text();
}

QString CDlgFirmDownload::FirmwareName() const
{
    return m_name;
}

bool CDlgFirmDownload::IsOtherFirmware() const
{
    return m_other->isChecked();
}
