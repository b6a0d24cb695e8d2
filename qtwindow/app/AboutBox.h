#pragma once
// The About box ("About QVXFirmInstaller"): the icon, the program's name and version, what the
// tool is for, and "OK". Also the tool's icon, drawn rather than shipped as a file.

#include <QDialog>
#include <QIcon>
#include <QString>

// The tool's icon: a small amber LED matrix on a dark display face.
QIcon MakeAppIcon();

// "QVXFirmInstaller-- Version 0.1.0.0": the About box's first line.
QString AboutVersionLine();

class CAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit CAboutBox(QWidget* parent = nullptr);
};
