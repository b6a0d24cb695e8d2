#pragma once
// CConfigDownload, the modal "Download Configuration" dialog the quick check opens: generation
// filter, desired sign configuration, time zone; "Download Configuration" and "Cancel".

#include "connection/InstallerView.h"

#include <QDialog>

class QComboBox;
class QListWidget;

class CConfigDownload : public QDialog {
    Q_OBJECT
public:
    CConfigDownload(const ConfigurationLists& lists, QWidget* parent = nullptr);

    // After "Download Configuration": the selected type's key and time zone.
    ConfigurationChoice Choice() const;

private:
    void FillTypes();

    const ConfigurationLists& m_lists;
    QComboBox* m_filters = nullptr;
    QListWidget* m_types = nullptr;
    QComboBox* m_timeZones = nullptr;
};
