#include "qtwindow/app/AboutBox.h"

#include "app/Version.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), size / 32.0 + 0.5));
    painter.setBrush(QColor(24, 24, 28));
    painter.drawRoundedRect(QRectF(0.5, size * 0.18, size - 1.0, size * 0.64), size / 10.0, size / 10.0);
    // A 6 x 3 matrix of LEDs, a "Q"-ish pattern lit in amber, the rest dim.
    constexpr int kColumns = 6;
    constexpr int kRows = 3;
    static const bool lit[kRows][kColumns] = {{1, 1, 1, 0, 1, 1}, {1, 0, 1, 0, 1, 0}, {1, 1, 1, 1, 1, 1}};
    const double pitch = (size - 4.0) / kColumns;
    const double top = size * 0.18 + (size * 0.64 - pitch * kRows) / 2.0;
    painter.setPen(Qt::NoPen);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            painter.setBrush(lit[row][column] ? QColor(255, 176, 0) : QColor(70, 50, 20));
            painter.drawEllipse(QRectF(2.0 + column * pitch + pitch * 0.12, top + row * pitch + pitch * 0.12,
                                       pitch * 0.76, pitch * 0.76));
        }
    }
    return pixmap;
}

} // namespace

QIcon MakeAppIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(DrawIcon(size));
    return icon;
}

QString AboutVersionLine()
{
    char line[128];
    std::snprintf(line, sizeof line, "%s-- Version %s", "QVXFirmInstaller", ToolVersion());
    return QString::fromLatin1(line);
}

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About QVXFirmInstaller"));
    setObjectName(QStringLiteral("aboutBox"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(MakeAppIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto* version = new QLabel(AboutVersionLine(), this);
    version->setObjectName(QStringLiteral("aboutVersion"));
    auto* purpose = new QLabel(QStringLiteral("Installs firmware and configuration on LED reader-board sign controllers."), this);
    purpose->setObjectName(QStringLiteral("aboutPurpose"));
    auto* use = new QLabel(QStringLiteral("A service tool for technicians: connect, update, configure and test a display."), this);
    use->setObjectName(QStringLiteral("aboutUse"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(purpose);
    texts->addWidget(use);
    texts->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
