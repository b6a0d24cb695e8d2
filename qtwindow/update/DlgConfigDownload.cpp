#include "qtwindow/update/DlgConfigDownload.h"

#include "update/ConfigDownload.h"
#include "qtwindow/widgets/ToolText.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QLabel* MakeCaption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

CDlgConfigDownload::CDlgConfigDownload(CConfigDownloader& config, QWidget* parent) : QWidget(parent), m_config(config)
{
    m_filters = new QComboBox(this);
    m_filters->setObjectName(QStringLiteral("generationFilter"));
    m_types = new QListWidget(this);
    m_types->setObjectName(QStringLiteral("desiredConfiguration"));
    m_types->setSelectionMode(QAbstractItemView::SingleSelection);
    m_timeZones = new QComboBox(this);
    m_timeZones->setObjectName(QStringLiteral("timeZone"));
    m_timeZones->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_timeZones->setMinimumContentsLength(24);
    m_check = new QPushButton(QStringLiteral("Check Configuration"), this);
    m_check->setObjectName(QStringLiteral("checkConfiguration"));

    m_templateLabel = new QLabel(this);
    m_templateLabel->setObjectName(QStringLiteral("templateLabel"));
    m_templateLabel->setTextFormat(Qt::PlainText);
    m_template = new QPlainTextEdit(this);
    m_template->setObjectName(QStringLiteral("templateView"));
    m_template->setReadOnly(true);
    m_template->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_template->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* view = new QGroupBox(QStringLiteral("Config File:"), this);
    view->setObjectName(QStringLiteral("configFile"));
    auto* viewLayout = new QVBoxLayout(view);
    viewLayout->addWidget(m_templateLabel);
    viewLayout->addWidget(m_template, 1);

    auto* layout = new QGridLayout(this);
    layout->addWidget(MakeCaption(QStringLiteral("Generation Filter"), m_filters, this), 0, 0);
    layout->addWidget(m_filters, 1, 0);
    layout->addWidget(MakeCaption(QStringLiteral("Desired Sign Configuration"), m_types, this), 2, 0);
    layout->addWidget(m_types, 3, 0);
    layout->addWidget(MakeCaption(QStringLiteral("Time Zone"), m_timeZones, this), 4, 0);
    layout->addWidget(m_timeZones, 5, 0);
    layout->addWidget(m_check, 6, 0, Qt::AlignLeft);
    layout->addWidget(view, 0, 1, 7, 1);
    layout->setRowStretch(3, 1);
    layout->setColumnStretch(1, 2);

    setTabOrder(m_filters, m_types);
    setTabOrder(m_types, m_timeZones);
    setTabOrder(m_timeZones, m_check);
    setTabOrder(m_check, m_template);

    connect(m_filters, &QComboBox::currentIndexChanged, this, [this] { FillTypes(); });
    connect(m_types, &QListWidget::itemSelectionChanged, this, &CDlgConfigDownload::ShowTemplate);
    connect(m_timeZones, &QComboBox::currentIndexChanged, this, [this] {
        // The operator's choice is what the full check compares with.
        m_config.SetCurrentTimeZone(ToTool(SelectedTimeZone()));
        ShowTemplate();
    });
    connect(m_check, &QPushButton::clicked, this, [this] {
        const int key = SelectedKey();
        if (key >= 0)
            emit checkRequested(key, SelectedTimeZone());
    });

    Refill();
    EnablePage(false);
}

void CDlgConfigDownload::EnablePage(bool enable)
{
    for (QWidget* control : {static_cast<QWidget*>(m_filters), static_cast<QWidget*>(m_types),
                             static_cast<QWidget*>(m_timeZones), static_cast<QWidget*>(m_check),
                             static_cast<QWidget*>(m_template)})
        control->setEnabled(enable);
}

void CDlgConfigDownload::Refill()
{
    m_config.BuildDisplayTypeTable();
    FillTimeZones();
    {
        const QSignalBlocker blocker(m_filters);
        m_filters->clear();
        for (const auto& [key, name] : m_config.PageFilterList())
            m_filters->addItem(FromTool(name), key);
        m_filters->setCurrentIndex(0);
    }
    FillTypes();
}

void CDlgConfigDownload::FillTimeZones()
{
    // Each display starts on its own zone, and that is what the check compares with and a download
    // sends until the operator picks another.
    const QSignalBlocker blocker(m_timeZones);
    m_timeZones->clear();
    for (const std::string& name : m_config.TimeZoneList())
        m_timeZones->addItem(FromTool(name));
    m_timeZones->setCurrentIndex(
        m_timeZones->findText(FromTool(m_config.DisplayTimeZone()), Qt::MatchExactly | Qt::MatchCaseSensitive));
    m_config.SetCurrentTimeZone(ToTool(SelectedTimeZone()));
}

void CDlgConfigDownload::FillTypes()
{
    const int filterKey = m_filters->currentIndex() < 0 ? -1 : m_filters->currentData().toInt();
    const std::vector<ConfigListItem> types = m_config.TypeList(filterKey);
    {
        const QSignalBlocker blocker(m_types);
        m_types->clear();
        for (const auto& [key, name] : types) {
            auto* item = new QListWidgetItem(FromTool(name), m_types);
            item->setData(Qt::UserRole, key);
        }
        if (const auto selected = m_config.PageTypeSelection(types))
            m_types->setCurrentRow(static_cast<int>(*selected));
    }
    ShowTemplate();
}

void CDlgConfigDownload::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Once the list has taken its new size.
    QMetaObject::invokeMethod(
        m_types,
        [this] {
            if (QListWidgetItem* chosen = m_types->currentItem())
                m_types->scrollToItem(chosen);
        },
        Qt::QueuedConnection);
}

int CDlgConfigDownload::SelectedKey() const
{
    const QList<QListWidgetItem*> selected = m_types->selectedItems();
    return selected.isEmpty() ? -1 : selected.first()->data(Qt::UserRole).toInt();
}

QString CDlgConfigDownload::SelectedTimeZone() const
{
    return m_timeZones->currentText();
}

QString CDlgConfigDownload::TemplateText() const
{
    return m_template->toPlainText();
}

void CDlgConfigDownload::ShowTemplate()
{
    const QList<QListWidgetItem*> selected = m_types->selectedItems();
    if (selected.isEmpty()) {
        m_templateLabel->clear();
        m_template->clear();
        return;
    }
    m_templateLabel->setText(selected.first()->text() + QStringLiteral(" Configuration:"));
    std::string text = m_config.GetConfigTemplate(selected.first()->data(Qt::UserRole).toInt());
    // Shown as it would be sent: with the zone the page's list names.
    m_config.SetTemplateTimeZone(ToTool(SelectedTimeZone()), text);
    m_template->setPlainText(FromTool(text));
}
