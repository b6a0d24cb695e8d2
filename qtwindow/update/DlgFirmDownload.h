#pragma once
// The "Download Firmware" page: the display's current firmware, the recommended one, the choice of
// another firmware file ("Browse ...") and "Download Firmware".

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CDlgFirmDownload : public QWidget {
    Q_OBJECT
public:
    explicit CDlgFirmDownload(QWidget* parent = nullptr);

    void EnablePage(bool enable);
    void SetCurrentFirmware(const QString& version);
    void SetRecommendedFirmware(const QString& version);
    // The chosen file's version, or why it is not firmware for the display.
    void ShowFileCheck(const QString& text);
    QString FirmwarePath() const;  // the path field
    QString FirmwareName() const;  // the bare name Browse kept
    bool IsOtherFirmware() const;  // the check box

signals:
    // other: the check box was set (the path field names a file); the page checked it is not empty.
    void downloadRequested(bool other);
    // The file to download changed (typed, chosen with Browse, or the box just checked); empty when
    // there is none.
    void firmwareFileChanged(const QString& path);

private:
    void OnOtherToggled(bool other);
    void UpdateEnabled();

    QLabel* m_current = nullptr;
    QLabel* m_recommended = nullptr;
    QCheckBox* m_other = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_download = nullptr;
    QLabel* m_fileCheck = nullptr;
    QString m_name;
    bool m_bEnabled = false;
};
