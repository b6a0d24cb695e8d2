#pragma once
// The "Download Configuration" page: the generation filter, the desired sign configuration, the
// template as it would be sent (with the chosen time zone), the time-zone list and "Check
// Configuration".

#include <QWidget>

class CConfigDownloader;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QResizeEvent;

class CDlgConfigDownload : public QWidget {
    Q_OBJECT
public:
    // config: the main window's downloader, whose tables and current time zone the page shows.
    CDlgConfigDownload(CConfigDownloader& config, QWidget* parent = nullptr);

    void EnablePage(bool enable);
    // After a connect: the tables of the display's firmware line, its own type selected where the
    // table has it (else none), its own time zone.
    void Refill();
    int SelectedKey() const; // -1: none
    QString SelectedTimeZone() const;
    QString TemplateText() const;

signals:
    // "Check Configuration" with a type selected.
    void checkRequested(int key, const QString& timeZone);

protected:
    void resizeEvent(QResizeEvent* event) override; // the chosen type stays in view

private:
    void FillTimeZones();
    // The type list of the selected filter, with the page's selection, and its template.
    void FillTypes();
    void ShowTemplate();

    CConfigDownloader& m_config;
    QComboBox* m_filters = nullptr;
    QListWidget* m_types = nullptr;
    QLabel* m_templateLabel = nullptr;
    QPlainTextEdit* m_template = nullptr;
    QComboBox* m_timeZones = nullptr;
    QPushButton* m_check = nullptr;
};
