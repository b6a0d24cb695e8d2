#include "qtwindow/update/ConfigDownloadDialog.h"

#include "qtwindow/widgets/ToolText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {
// Rows of the type list visible without scrolling.
constexpr int kVisibleTypes = 10;
} // namespace

CConfigDownload::CConfigDownload(const ConfigurationLists& lists, QWidget* parent) : QDialog(parent), m_lists(lists)
{
    setWindowTitle(QStringLiteral("Download Configuration"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    m_filters = new QComboBox(this);
    m_filters->setObjectName(QStringLiteral("generationFilter"));
    for (const auto& [key, name] : m_lists.filters)
        m_filters->addItem(FromTool(name), key);

    m_types = new QListWidget(this);
    m_types->setObjectName(QStringLiteral("desiredSignConfiguration"));
    m_types->setSelectionMode(QAbstractItemView::SingleSelection);
    m_types->setMinimumHeight(m_types->fontMetrics().height() * kVisibleTypes);

    m_timeZones = new QComboBox(this);
    m_timeZones->setObjectName(QStringLiteral("timeZone"));
    for (const std::string& zone : m_lists.timeZones)
        m_timeZones->addItem(FromTool(zone));
    m_timeZones->setCurrentIndex(
        m_timeZones->findText(FromTool(m_lists.initialTimeZone), Qt::MatchExactly | Qt::MatchCaseSensitive));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* download = buttons->addButton(QStringLiteral("Download Configuration"), QDialogButtonBox::AcceptRole);
    download->setObjectName(QStringLiteral("downloadConfiguration"));
    download->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    const auto addRow = [&](int row, const QString& text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        layout->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignTop);
        layout->addWidget(field, row, 1);
    };
    addRow(0, QStringLiteral("&Generation Filter"), m_filters);
    addRow(1, QStringLiteral("&Desired Sign Configuration"), m_types);
    addRow(2, QStringLiteral("&Time Zone"), m_timeZones);
    layout->addWidget(buttons, 3, 0, 1, 2);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(1, 1);

    setTabOrder(m_filters, m_types);
    setTabOrder(m_types, m_timeZones);
    setTabOrder(m_timeZones, download);
    setTabOrder(download, cancel);

    m_filters->setCurrentIndex(0);
    FillTypes();
    connect(m_filters, &QComboBox::currentIndexChanged, this, &CConfigDownload::FillTypes);
    // Without a type there is nothing to download: the operator who chose Download must not be
    // left with a download that silently did nothing. Without a zone it would write another one.
    const auto enableDownload = [this, download] {
        download->setEnabled(!m_types->selectedItems().isEmpty() && m_timeZones->currentIndex() >= 0);
    };
    connect(m_types, &QListWidget::itemSelectionChanged, this, enableDownload);
    connect(m_timeZones, &QComboBox::currentIndexChanged, this, enableDownload);
    enableDownload();
    m_types->setFocus();
}

ConfigurationChoice CConfigDownload::Choice() const
{
    ConfigurationChoice choice;
    if (const QListWidgetItem* type = m_types->currentItem(); type != nullptr && type->isSelected())
        choice.nKey = type->data(Qt::UserRole).toInt();
    choice.strTimeZone = ToTool(m_timeZones->currentText());
    return choice;
}

void CConfigDownload::FillTypes()
{
    m_types->clear();
    if (m_filters->currentIndex() < 0 || !m_lists.typesOf)
        return;
    for (const auto& [key, name] : m_lists.typesOf(m_filters->currentData().toInt())) {
        auto* item = new QListWidgetItem(FromTool(name), m_types); // the list owns its items
        item->setData(Qt::UserRole, key);
    }
    // The display's own type where this list has it; otherwise none, as the first entry is
    // another display's configuration.
    for (int row = 0; row < m_types->count(); ++row) {
        if (m_types->item(row)->data(Qt::UserRole).toInt() == m_lists.nDisplayKey)
            m_types->setCurrentRow(row);
    }
}
