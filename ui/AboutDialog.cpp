#include "AboutDialog.h"
#include "ui_AboutDialog.h"

#include <obs-module.h>

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
	ui->setupUi(this);
	setWindowTitle(QString::fromUtf8(obs_module_text("AboutUs")));
}

AboutDialog::~AboutDialog()
{
	delete ui;
}
