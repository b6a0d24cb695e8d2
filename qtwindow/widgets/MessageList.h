#pragma once
// The main window's message list: lines appended at the end, the new line selected so the list
// scrolls to it; the horizontal scroll range grows with the widest line and never shrinks.
// Ctrl+C and the context menu copy the selected lines (all lines when none is selected).

#include <QListWidget>

class CMessageList : public QListWidget {
    Q_OBJECT
public:
    explicit CMessageList(QWidget* parent = nullptr);

    void AddLine(const QString& line);
    // The widest line so far plus an average character, plus 10 pixels: the scroll range's width.
    int ContentWidth() const { return m_contentWidth; }
    // Every line, or the selected ones, one per line of text.
    QString CopyText(bool selectedOnly) const;
    void CopyToClipboard();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override; // the selected line stays in view

private:
    int m_contentWidth = 0;
};
