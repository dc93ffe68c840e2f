#include "AboutDialog.h"
#include "ui_AboutDialog.h"
#include "HostThemeReset.h"

#include <obs-module.h>

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
	ui->setupUi(this);
	setWindowTitle(QString::fromUtf8(obs_module_text("AboutUs")));
	ensurePolished(); // so that the new sheet restyles the widgets the form has already styled
	setStyleSheet(withHostThemeReset(styleSheet()));
}

AboutDialog::~AboutDialog()
{
	delete ui;
}
