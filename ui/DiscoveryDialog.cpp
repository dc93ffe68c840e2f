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

#include <QComboBox>
#include <QDebug>
#include <QGridLayout>
#include <QLayout>
#include <QHeaderView>
#include <QTableWidgetItem>

#include <obs.h>

namespace {

const QString ipv4Pattern = QStringLiteral("\\b(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}"
					   "(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\b");

QString localeText(const char *key)
{
	return QString::fromUtf8(obs_module_text(key));
}

// The slot's nickname, or the locale's slot word ("Camera1" to "Camera8" are the keys) for a slot without one.
// The settings' word for a slot (index from 0): "Camera1" to "Camera8".
QString slotKey(int index)
{
	return QStringLiteral("Camera%1").arg(index + 1);
}

QString slotTitle(int slot)
{
	const PanelSettings &settings = PanelSettings::instance();
	return settings.hasSlotName(slot) ? settings.slotName(slot)
					  : localeText(QStringLiteral("Camera%1").arg(slot).toUtf8().constData());
}

// OBS's video sources by name, sorted; none outside OBS.
QStringList videoSourceNames()
{
	QStringList names;
	if (!obs_initialized())
		return names;
	obs_enum_sources(
		[](void *data, obs_source_t *source) {
			if ((obs_source_get_output_flags(source) & OBS_SOURCE_VIDEO) != 0)
				static_cast<QStringList *>(data)->append(
					QString::fromUtf8(obs_source_get_name(source)));
			return true;
		},
		&names);
	names.sort(Qt::CaseInsensitive);
	return names;
}

const char *const tallyModes[] = {"off", "red", "redGreen"};
const char *const tallyTexts[] = {"TallyOff", "TallyRed", "TallyRedGreen"};

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
	addSlotSourceChoices();
	loadSlotTitles();
	new CellTextFitter(this);

	connect(ui->IPTableWidget, &QTableWidget::cellClicked, this, &DiscoveryDialog::rowPressed);

	setStyleSheet(withHostThemeReset("background-color: #474747"));
	connect(ui->CameraComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
		[this] { showAssignment(); });
	connect(&PanelSettings::instance(), &PanelSettings::slotsChanged, this, &DiscoveryDialog::loadSlotTitles);
	setWindowFlag(Qt::WindowStaysOnTopHint);
	// Designed for the English words in the plain style: a host theme or a longer language widens it.
	ensurePolished();
	for (QWidget *field : {static_cast<QWidget *>(ui->IPEidt), static_cast<QWidget *>(ui->CameraComboBox),
			       static_cast<QWidget *>(ui->NameEdit), static_cast<QWidget *>(m_sourceBox),
			       static_cast<QWidget *>(m_tallyBox)})
		field->setMinimumHeight(qMax(field->minimumHeight(), field->sizeHint().height()));
	setFixedSize(layout()->minimumSize().expandedTo(size()));
}

DiscoveryDialog::~DiscoveryDialog() = default;

// Beside Apply, below the address and the name: the source that shows the slot's camera, and its tally.
void DiscoveryDialog::addSlotSourceChoices()
{
	m_sourceBox = new QComboBox(this);
	m_sourceBox->setObjectName(QStringLiteral("SourceComboBox"));
	m_tallyBox = new QComboBox(this);
	m_tallyBox->setObjectName(QStringLiteral("TallyComboBox"));
	const QString sourceWord = QString::fromUtf8(obs_module_text("CameraSourceLabel"));
	const QString tallyWord = QString::fromUtf8(obs_module_text("TallyLabel"));
	m_sourceBox->addItem(QString::fromUtf8(obs_module_text("CameraSourceNone")), QString());
	for (const QString &name : videoSourceNames())
		m_sourceBox->addItem(name, name);
	// The lamp's choices by themselves: the box's tool tip and accessible name say what they are for.
	for (int i = 0; i < 3; ++i)
		m_tallyBox->addItem(QString::fromUtf8(obs_module_text(tallyTexts[i])),
				    QString::fromLatin1(tallyModes[i]));
	for (QComboBox *box : {m_sourceBox, m_tallyBox}) {
		box->setStyleSheet(ui->CameraComboBox->styleSheet());
		box->setMinimumSize(110, 25);
	}
	m_sourceBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
	// Wide enough for its longest choice in the operator's language, beside the drop-down arrow.
	m_tallyBox->ensurePolished();
	int widest = 0;
	for (int i = 0; i < m_tallyBox->count(); ++i)
		widest = qMax(widest, m_tallyBox->fontMetrics().horizontalAdvance(m_tallyBox->itemText(i)));
	m_tallyBox->setMinimumWidth(qMax(110, widest + 40));
	m_sourceBox->setToolTip(sourceWord);
	m_sourceBox->setAccessibleName(sourceWord);
	m_tallyBox->setToolTip(tallyWord);
	m_tallyBox->setAccessibleName(tallyWord);
	ui->GridLayout->addWidget(m_sourceBox, 2, 0);
	ui->GridLayout->addWidget(m_tallyBox, 2, 1);
}

void DiscoveryDialog::showSlotSource(const QJsonObject &settings, const QString &slotWord)
{
	const QString source = settings.value(slotWord + "Source").toString();
	int index = source.isEmpty() ? 0 : m_sourceBox->findData(source);
	// A source OBS does not have (now) stays chosen: it counts again once OBS has one of that name.
	if (index < 0) {
		m_sourceBox->addItem(source, source);
		index = m_sourceBox->count() - 1;
	}
	m_sourceBox->setCurrentIndex(index);
	m_tallyBox->setCurrentIndex(qMax(0, m_tallyBox->findData(settings.value(slotWord + "Tally").toString())));
}

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
	const QString slotWord = slotKey(ui->CameraComboBox->currentIndex());
	const PanelSettings &stored = PanelSettings::instance();
	showSlotSource(QJsonObject{{slotWord + "Source", stored.value(slotWord + "Source")},
				   {slotWord + "Tally", stored.value(slotWord + "Tally")}},
		       slotWord);
}

void DiscoveryDialog::on_ApplyButton_released()
{
	const QString name = ui->NameEdit->text();
	const QString ip = ui->IPEidt->text();

	if (name.isEmpty() || !regExpExactMatch(ipv4Pattern, ip)) {
		Utils::showWarningBox(QString::fromUtf8(obs_module_text("CameraAssignError")), this);
		return;
	}

	m_picked.clear();
	const QString slotWord = slotKey(ui->CameraComboBox->currentIndex());
	// One write for the slot's keys; a failure is logged and told through the settings' writeFailed. The panel
	// takes the new address even when it could not be stored. No source, or tally off, removes its key.
	const QString source = m_sourceBox->currentData().toString();
	const QString tally = m_tallyBox->currentData().toString();
	PanelSettings::instance().setValues(QJsonObject{
		{slotWord + "IP", ip},
		{slotWord + "NickName", name},
		{slotWord + "Source", source.isEmpty() ? QJsonValue() : QJsonValue(source)},
		{slotWord + "Tally", tally == QLatin1String(tallyModes[0]) ? QJsonValue() : QJsonValue(tally)}});
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
