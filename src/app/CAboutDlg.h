#pragma once

#include <QDialog>

// The about box: the program icon, "Vorlix, Version 1.0" and an OK button.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
