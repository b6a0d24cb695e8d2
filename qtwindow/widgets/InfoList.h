#pragma once
// A two-column information list (tag, value): the configuration and status lists of the
// "Sable 2200 Actions" page. Its column headings are fixed when it is made, so that they read the
// same before a display is connected and after; row 0 of what it is given (the core repeats its
// headings there) is not shown.

#include <QTreeWidget>

#include <utility>
#include <vector>

class CInfoList : public QTreeWidget {
    Q_OBJECT
public:
    explicit CInfoList(const QString& tagHeading, const QString& valueHeading, QWidget* parent = nullptr);

    // rows[1..] become the lines (rows[0] is the headings' row). Empty: the list is cleared.
    void SetRows(const std::vector<std::pair<QString, QString>>& rows);
    // The value of the first row whose tag is tag; empty when none.
    QString ValueOf(const QString& tag) const;
};
