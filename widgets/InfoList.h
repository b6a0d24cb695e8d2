#pragma once
// A two-column information list (tag, value): the configuration and status lists of the
// "Sable 2200 Actions" page. Row 0 of what it is given is the column headings.

#include <QTreeWidget>

#include <utility>
#include <vector>

class CInfoList : public QTreeWidget {
    Q_OBJECT
public:
    explicit CInfoList(const QString& tagHeading, const QString& valueHeading, QWidget* parent = nullptr);

    // rows[0] becomes the headings; the rest the lines. Empty: the list is cleared (headings stay).
    void SetRows(const std::vector<std::pair<QString, QString>>& rows);
    // The value of the first row whose tag is tag; empty when none.
    QString ValueOf(const QString& tag) const;
};
