#pragma once

#include "models/CameraModelEntry.h"

#include <QDialog>
#include <QHostAddress>
#include <QJsonObject>
#include <QString>

#include <memory>
#include <vector>

class CameraWorker;
class QComboBox;

namespace Ui {
class DiscoveryDialog;
}

// Binds one of the eight camera slots to an IPv4 address and a nickname, stored in the settings file. Search
// lists the cameras that WS-Discovery finds and model identification recognises, and says how many it found; a row
// click copies the address, which stays while another slot is chosen. The slot may also name the OBS video source
// that shows its camera, and its tally lamps.
// The search runs on a thread of its own; the rows appear when it ends, and Search waits until then.
class DiscoveryDialog : public QDialog {
	Q_OBJECT

public:
	// Where a search looks. The defaults are the real ones (broadcast, port 3702, cameras on 52381); tests aim
	// the probe and the identification at their own stand-ins.
	struct SearchTarget {
		QHostAddress probeDestination = QHostAddress(QHostAddress::Broadcast);
		quint16 probePort = 3702;
		int cameraPort = 52381;
	};

	explicit DiscoveryDialog(QWidget *parent = nullptr);
	DiscoveryDialog(QWidget *parent, const SearchTarget &target);
	~DiscoveryDialog() override;

	bool isSearching() const;

signals:
	void ipAssigned(int index, QString ip, QString name);

public slots:
	void on_ApplyButton_released();
	void on_SearchButton_pressed();
	void rowPressed(int row, int column);

private:
	void loadSlotTitles();
	void showAssignment();
	void showSearchResult(const std::vector<CameraModelMap> &cameras);
	void addSlotSourceChoices();
	void showSlotSource(const QJsonObject &settings, const QString &slotWord);

	std::unique_ptr<Ui::DiscoveryDialog> ui;
	SearchTarget m_target;
	CameraWorker *m_search = nullptr;
	QComboBox *m_sourceBox = nullptr;
	QComboBox *m_tallyBox = nullptr;
	// The address last picked from the search list, until it is applied.
	QString m_picked;
};
