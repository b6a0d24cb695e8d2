#include "qtwindow/widgets/MessageList.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStringList>
#include <QStyleOptionViewItem>

CMessageList::CMessageList(QWidget* parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("1006"));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void CMessageList::AddLine(const QString& line)
{
    // The range follows the widest line so far, so a later short line never narrows it and the
    // operator's horizontal position survives new lines.
    const int lineWidth = fontMetrics().horizontalAdvance(line) + fontMetrics().averageCharWidth();
    if (lineWidth + 10 > m_contentWidth)
        m_contentWidth = lineWidth + 10;

    addItem(line);
    QListWidgetItem* item = this->item(count() - 1);
    // Every item is as wide as the widest line when it was added; the newest is thus the widest
    // and the list's scroll range is exactly m_contentWidth.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QSize natural = itemDelegate()->sizeHint(option, indexFromItem(item));
    item->setSizeHint(QSize(m_contentWidth, natural.height()));

    const int horizontal = horizontalScrollBar()->value();
    setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item);
    horizontalScrollBar()->setValue(horizontal);
}

QString CMessageList::CopyText(bool selectedOnly) const
{
    QStringList lines;
    for (int row = 0; row < count(); ++row) {
        const QListWidgetItem* line = item(row);
        if (!selectedOnly || line->isSelected())
            lines.append(line->text());
    }
    return lines.join(QLatin1Char('\n'));
}

void CMessageList::CopyToClipboard()
{
    const bool anySelected = !selectedItems().isEmpty();
    QApplication::clipboard()->setText(CopyText(anySelected));
}

void CMessageList::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopyToClipboard();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void CMessageList::resizeEvent(QResizeEvent* event)
{
    QListWidget::resizeEvent(event);
    if (QListWidgetItem* current = currentItem()) {
        const int horizontal = horizontalScrollBar()->value();
        scrollToItem(current);
        horizontalScrollBar()->setValue(horizontal);
    }
}

void CMessageList::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copy = menu.addAction(tr("&Copy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(!selectedItems().isEmpty());
    QAction* copyAll = menu.addAction(tr("Copy &All"));
    copyAll->setEnabled(count() > 0);

    const QAction* chosen = menu.exec(event->globalPos());
    if (chosen == copy)
        QApplication::clipboard()->setText(CopyText(true));
    else if (chosen == copyAll)
        QApplication::clipboard()->setText(CopyText(false));
}
