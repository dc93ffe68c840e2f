#include "DiscoveryGallery.h"
#include "GallerySink.h"

#include "DiscoveryDialog.h"
#include "settings/PanelSettings.h"
#include "settings/Utils.h"

#include <QComboBox>
#include <QTableWidget>
#include <QTemporaryDir>

void renderDiscoveryDialog(GallerySink &sink)
{
	// The dialog reads the settings file: give it one of its own, never the user's.
	QTemporaryDir folder;
	const bool hadDataHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");
	const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
	qputenv("XDG_DATA_HOME", folder.path().toUtf8());
	{
		PanelSettings settings(Utils::settingsDirectory());
		PanelSettings::setInstance(&settings);
		settings.setSlot(2, "10.0.0.12", "Pulpit");

		DiscoveryDialog dialog;
		sink.save("DiscoveryDialog-empty", &dialog);

		dialog.findChild<QComboBox *>("CameraComboBox")->setCurrentIndex(1);
		QTableWidget *table = dialog.findChild<QTableWidget *>("IPTableWidget");
		const char *rows[][2] = {{"10.0.0.12", "Pulpit"}, {"10.0.0.21", "CAM_A"}, {"10.0.0.22", "STAGE1"}};
		for (const auto &row : rows) {
			const int at = table->rowCount();
			table->insertRow(at);
			table->setItem(at, 0, new QTableWidgetItem(row[0]));
			table->setItem(at, 1, new QTableWidgetItem(row[1]));
		}
		table->selectRow(1);
		sink.save("DiscoveryDialog-results", &dialog);
		PanelSettings::setInstance(nullptr);
	}
	if (hadDataHome)
		qputenv("XDG_DATA_HOME", dataHome);
	else
		qunsetenv("XDG_DATA_HOME");
}
