#pragma once
// The "Sable 2200 Actions" page: the test patterns ("Start Test Pattern", the pattern list, "Stop
// Test Pattern") and the display's configuration (left) and status (right) lists. It only collects
// the choice; the main window runs the action.

#include "connection/DisplayLists.h"

#include <QWidget>

#include <vector>

class CInfoList;
class QComboBox;
class QPushButton;

class CDlgActionsPage : public QWidget {
    Q_OBJECT
public:
    explicit CDlgActionsPage(QWidget* parent = nullptr);

    // Every button and list together (a display is connected or not).
    void EnablePage(bool enable);
    void ShowLists(const std::vector<InfoRow>& config, const std::vector<InfoRow>& status);
    int SelectedPattern() const;

    CInfoList* ConfigList() const { return m_config; }
    CInfoList* StatusList() const { return m_status; }

signals:
    void startPatternRequested(int pattern);
    void stopPatternRequested();

private:
    QPushButton* m_start = nullptr;
    QComboBox* m_patterns = nullptr;
    QPushButton* m_stop = nullptr;
    CInfoList* m_config = nullptr;
    CInfoList* m_status = nullptr;
};
