#pragma once

#include <QDialog>

// The about box: the program's icon, name and version, the Qt version it
// runs on and the notice the application gave the library.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);
};
