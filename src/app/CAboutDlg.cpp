#include "app/CAboutDlg.h"

#include "app/ProgramIcon.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Vorlix"));

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(QSize(64, 64)));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(QStringLiteral("Vorlix, Version 1.0"), this);
    text->setObjectName(QStringLiteral("versionLabel"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
