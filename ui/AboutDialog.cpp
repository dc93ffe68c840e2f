#include "AboutDialog.h"
#include "ui_AboutDialog.h"
#include "HostThemeReset.h"

#include <QPushButton>

#include <obs-module.h>

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
	ui->setupUi(this);
	setWindowTitle(QString::fromUtf8(obs_module_text("AboutUs")));
	ensurePolished(); // so that the new sheet restyles the widgets the form has already styled
	setStyleSheet(withHostThemeReset(styleSheet()));

	// A way out besides the title bar's, beside the version.
	auto *close = new QPushButton(QString::fromUtf8(obs_module_text("Close")), this);
	close->setObjectName("CloseButton");
	close->setStyleSheet("QPushButton { background: #606060; color: #FFFFFF; border-radius: 5px;"
			     " font: normal normal bold 14px Arial; padding: 3px 14px; }"
			     "QPushButton:pressed { background: #7bb0b7; }");
	ui->InfoHLayout->insertWidget(0, close);
	ui->InfoHLayout->insertStretch(1);
	connect(close, &QPushButton::clicked, this, &QDialog::close);
}

AboutDialog::~AboutDialog()
{
	delete ui;
}
