#include "qtwindow/widgets/InfoList.h"

#include <QHeaderView>
#include <QTreeWidgetItem>

namespace {
// Both columns start this wide; the operator may widen them.
constexpr int kColumnWidth = 160;
} // namespace

CInfoList::CInfoList(const QString& tagHeading, const QString& valueHeading, QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(2);
    setHeaderLabels({tagHeading, valueHeading});
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setColumnWidth(0, kColumnWidth);
    setColumnWidth(1, kColumnWidth);
    header()->setStretchLastSection(true);
    // Grid lines between the cells, as the lists have always been drawn.
    setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid rgb(150,150,150);"
                                 " border-bottom: 1px solid rgb(150,150,150); }"));
}

void CInfoList::SetRows(const std::vector<std::pair<QString, QString>>& rows)
{
    clear();
    if (rows.empty())
        return;
    QList<QTreeWidgetItem*> lines;
    lines.reserve(static_cast<qsizetype>(rows.size() - 1));
    for (auto row = rows.begin() + 1; row != rows.end(); ++row) {
        auto* line = new QTreeWidgetItem(QStringList{row->first, row->second}); // the list takes them
        line->setToolTip(1, row->second); // whole, where the column is too narrow for it
        lines.append(line);
    }
    addTopLevelItems(lines);
}

QString CInfoList::ValueOf(const QString& tag) const
{
    for (int row = 0; row < topLevelItemCount(); ++row) {
        const QTreeWidgetItem* line = topLevelItem(row);
        if (line->text(0) == tag)
            return line->text(1);
    }
    return {};
}
