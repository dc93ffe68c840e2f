#include "DiscoveryDialog.h"
#include "ui_DiscoveryDialog.h"
#include "CellTextFitter.h"
#include "HostThemeReset.h"

#include "QtCompat.h"
#include "discovery/OnvifDiscovery.h"
#include "models/ModelIdentifier.h"
#include "plugin/ModuleText.h"
#include "settings/PanelSettings.h"
#include "settings/Utils.h"
#include "visca/CameraWorker.h"

#include <QHeaderView>
#include <QTableWidgetItem>

namespace {

const QString ipv4Pattern = QStringLiteral("\\b(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}"
					   "(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\b");

QString localeText(const char *key)
{
	return QString::fromUtf8(obs_module_text(key));
}

// The slot's nickname, or the locale's slot word ("Camera1" to "Camera8" are the keys) for a slot without one.
QString slotTitle(int slot)
{
	const PanelSettings &settings = PanelSettings::instance();
	return settings.hasSlotName(slot) ? settings.slotName(slot)
					  : localeText(QStringLiteral("Camera%1").arg(slot).toUtf8().constData());
}

} // namespace

DiscoveryDialog::DiscoveryDialog(QWidget *parent) : DiscoveryDialog(parent, SearchTarget()) {}

DiscoveryDialog::DiscoveryDialog(QWidget *parent, const SearchTarget &target)
	: QDialog(parent), ui(new Ui::DiscoveryDialog), m_target(target)
{
	ui->setupUi(this);

	ui->IPTableWidget->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
	ui->IPTableWidget->verticalHeader()->setHidden(true);
	ui->IPTableWidget->setSelectionBehavior(QAbstractItemView::SelectRows);
	ui->IPTableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);

	ui->IPTableWidget->setHorizontalHeaderLabels(
		{QString::fromUtf8(obs_module_text("IPAddress")), QString::fromUtf8(obs_module_text("CameraID"))});
	ui->SearchButton->setText(localeText("Search"));
	ui->ListLabel->setText(localeText("IPCameraList"));
	ui->IPAddressLabel->setText(localeText("IPAddress"));
	ui->SlotLabel->setText(localeText("CameraSlot"));
	ui->NameLabel->setText(localeText("CameraNickname"));
	setWindowTitle(localeText("CameraAssign"));
	ui->ApplyButton->setText(localeText("Apply"));
	ui->IPAddressLabel->setBuddy(ui->IPEidt);
	ui->SlotLabel->setBuddy(ui->CameraComboBox);
	ui->NameLabel->setBuddy(ui->NameEdit);
	loadSlotTitles();
	new CellTextFitter(this);

	connect(ui->IPTableWidget, &QTableWidget::cellClicked, this, &DiscoveryDialog::rowPressed);

	setStyleSheet(withHostThemeReset("background-color: #474747"));
	connect(ui->CameraComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
		[this] { showAssignment(); });
	connect(&PanelSettings::instance(), &PanelSettings::slotsChanged, this, &DiscoveryDialog::loadSlotTitles);
	setWindowFlag(Qt::WindowStaysOnTopHint);
}

DiscoveryDialog::~DiscoveryDialog() = default;

void DiscoveryDialog::loadSlotTitles()
{
	for (int index = 0; index < ui->CameraComboBox->count(); ++index)
		ui->CameraComboBox->setItemText(index, slotTitle(index + 1));
	showAssignment();
}

// The chosen slot's address and nickname; an address picked from the search list stays while the slot changes.
void DiscoveryDialog::showAssignment()
{
	const int slot = ui->CameraComboBox->currentIndex() + 1;
	ui->IPEidt->setText(m_picked.isEmpty() ? PanelSettings::instance().slotAddress(slot) : m_picked);
	ui->NameEdit->setText(slotTitle(slot));
}

void DiscoveryDialog::on_ApplyButton_released()
{
	const QString name = ui->NameEdit->text();
	const QString ip = ui->IPEidt->text();

	if (name.isEmpty() || !regExpExactMatch(ipv4Pattern, ip)) {
		Utils::showWarningBox(QString::fromUtf8(obs_module_text("CameraAssignError")), this);
		return;
	}

	// Both keys in one write; a failure is logged and told through the settings' writeFailed. The panel takes the
	// new address even when it could not be stored.
	m_picked.clear();
	PanelSettings::instance().setSlot(ui->CameraComboBox->currentIndex() + 1, ip, name);
	emit ipAssigned(ui->CameraComboBox->currentIndex(), ip, name);
}

void DiscoveryDialog::on_SearchButton_pressed()
{
	if (m_search != nullptr)
		return;
	ui->IPTableWidget->clearContents();
	ui->IPTableWidget->setRowCount(0);
	ui->SearchButton->setEnabled(false);
	ui->ListLabel->setText(localeText("Searching"));

	const SearchTarget target = m_target;
	m_search = new CameraWorker(this);
	m_search->post<std::vector<CameraModelMap>>(
		CameraWorker::neverMerged,
		[target](CameraWorker::Link &) {
			OnvifDiscovery discovery(nullptr, target.probeDestination, target.probePort);
			ModelIdentifier identifier(target.cameraPort);
			discovery.probe();
			identifier.identifyCameras(discovery.devices());
			return identifier.identifiedCameras();
		},
		this, [this](const std::vector<CameraModelMap> &cameras) { showSearchResult(cameras); });
}

void DiscoveryDialog::showSearchResult(const std::vector<CameraModelMap> &cameras)
{
	m_search->retire();
	m_search = nullptr;
	ui->SearchButton->setEnabled(true);
	int found = 0;
	for (const CameraModelMap &camera : cameras)
		found += int(camera.size());
	ui->ListLabel->setText(found == 0 ? localeText("NoCamerasFound") : localeText("CamerasFound").arg(found));
	for (const CameraModelMap &camera : cameras) {
		for (const auto &[ip, entry] : camera) {
			const int row = ui->IPTableWidget->rowCount();
			ui->IPTableWidget->insertRow(row);
			ui->IPTableWidget->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(ip)));
			ui->IPTableWidget->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(entry.name)));
		}
	}
}

bool DiscoveryDialog::isSearching() const
{
	return m_search != nullptr;
}

void DiscoveryDialog::rowPressed(int row, int)
{
	const QTableWidgetItem *address = ui->IPTableWidget->item(row, 0);
	if (address) {
		m_picked = address->text();
		ui->IPEidt->setText(m_picked);
	}
}
