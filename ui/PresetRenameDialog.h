#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class PresetRenameDialog;
}

// Edits the names of the nine preset buttons; names are shared by every camera.
class PresetRenameDialog : public QDialog {
	Q_OBJECT

public:
	explicit PresetRenameDialog(QWidget *parent = nullptr);
	~PresetRenameDialog() override;

signals:
	void presetNamesChanged();

private:
	void fillFields();
	void apply();

	std::unique_ptr<Ui::PresetRenameDialog> ui;
};
