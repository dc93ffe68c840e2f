#pragma once

#include <QDialog>

namespace Ui {
class AboutDialog;
}

// The brand logo on a rounded panel, a close button and the version text.
class AboutDialog : public QDialog {
	Q_OBJECT

public:
	explicit AboutDialog(QWidget *parent = nullptr);
	~AboutDialog() override;

private:
	Ui::AboutDialog *ui;
};
