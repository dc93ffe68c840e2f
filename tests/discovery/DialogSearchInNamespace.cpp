// Presses Search in a dialog with the real search target (broadcast, port 3702, cameras on 52381) and prints
// the table, one "address<TAB>name" line per row. Run by netns_discovery_test.sh inside its own namespace.
#include "NetnsGuard.h"

#include "DiscoveryDialog.h"

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

int main(int argc, char **argv)
{
	if (!inPrivateNetworkNamespace(recordedHostNamespaceId())) {
		std::fprintf(stderr, "FAIL: refusing to broadcast: not inside a private network namespace "
				     "(run through netns_discovery_test.sh)\n");
		return 1;
	}
	QTemporaryDir dataHome;
	qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
	qputenv("QT_QPA_PLATFORM", "offscreen");
	QApplication app(argc, argv);
	DiscoveryDialog dialog;
	dialog.show();
	QTest::mousePress(dialog.findChild<QPushButton *>("SearchButton"), Qt::LeftButton);
	const QTableWidget *table = dialog.findChild<QTableWidget *>("IPTableWidget");
	for (int row = 0; row < table->rowCount(); ++row)
		std::printf("%s\t%s\n", qPrintable(table->item(row, 0)->text()),
			    qPrintable(table->item(row, 1)->text()));
	std::fflush(stdout);
	return 0;
}
