#include "qtwindow/connection/ActionsPage.h"

#include "connection/DisplayActions.h"
#include "qtwindow/widgets/InfoList.h"
#include "qtwindow/widgets/ToolText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>

CDlgActionsPage::CDlgActionsPage(QWidget* parent) : QWidget(parent)
{
    m_start = new QPushButton(QStringLiteral("Start Test Pattern"), this);
    m_start->setObjectName(QStringLiteral("1007"));
    m_patterns = new QComboBox(this);
    m_patterns->setObjectName(QStringLiteral("1008"));
    // The position is the pattern number the controller gets: the list keeps the table's order.
    for (const std::string& name : CDisplayActions::TestPatternNames())
        m_patterns->addItem(FromTool(name));
    m_patterns->setCurrentIndex(0);
    m_stop = new QPushButton(QStringLiteral("Stop Test Pattern"), this);
    m_stop->setObjectName(QStringLiteral("1009"));

    // The lists' own column headings, kept while displays come and go (the core's heading rows,
    // "Attribute" in both, are not shown over them).
    m_config = new CInfoList(QStringLiteral("Configuration Tag"), QStringLiteral("Attribute"), this);
    m_config->setObjectName(QStringLiteral("1019"));
    m_status = new CInfoList(QStringLiteral("Status Tag"), QStringLiteral("Attributes"), this);
    m_status->setObjectName(QStringLiteral("1020"));

    auto* patterns = new QHBoxLayout;
    patterns->setSpacing(6);
    patterns->addWidget(m_start);
    patterns->addWidget(m_patterns, 1);
    patterns->addWidget(m_stop);

    // Narrow margins: on a small screen the lists get the room for their values.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 6, 4, 4);
    layout->setHorizontalSpacing(4);
    layout->addLayout(patterns, 0, 0, 1, 2);
    layout->addWidget(m_config, 1, 0);
    layout->addWidget(m_status, 1, 1);
    layout->setRowStretch(1, 1);

    setTabOrder(m_start, m_patterns);
    setTabOrder(m_patterns, m_stop);
    setTabOrder(m_stop, m_config);
    setTabOrder(m_config, m_status);

    connect(m_start, &QPushButton::clicked, this, [this] { emit startPatternRequested(SelectedPattern()); });
    connect(m_stop, &QPushButton::clicked, this, &CDlgActionsPage::stopPatternRequested);

    // Nothing to act on until a display is connected.
    EnablePage(false);
}

void CDlgActionsPage::EnablePage(bool enable)
{
    for (QWidget* control : {static_cast<QWidget*>(m_start), static_cast<QWidget*>(m_patterns),
                             static_cast<QWidget*>(m_stop), static_cast<QWidget*>(m_config),
                             static_cast<QWidget*>(m_status)})
        control->setEnabled(enable);
}

namespace {

std::vector<std::pair<QString, QString>> ToListRows(const std::vector<InfoRow>& rows)
{
    std::vector<std::pair<QString, QString>> converted;
    converted.reserve(rows.size());
    for (const InfoRow& row : rows)
        converted.emplace_back(FromTool(row.strTag), FromTool(row.strValue));
    return converted;
}

} // namespace

void CDlgActionsPage::ShowLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status)
{
    m_config->SetRows(ToListRows(config));
    m_status->SetRows(ToListRows(status));
}

int CDlgActionsPage::SelectedPattern() const
{
    return m_patterns->currentIndex();
}
