#include "settings/PanelSettings.h"

#include "plugin/ModuleText.h"
#include "settings/Utils.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <array>

namespace {

const char hotKeyKey[] = "hotKey";
const char bridgeKey[] = "bridgeOpenToNetwork";
// Long enough to see an editor's truncate-then-write as one change, short enough to feel immediate.
const int reloadDelayMs = 100;

PanelSettings *installed = nullptr;
PanelSettings *created = nullptr;

bool validSlot(int slot)
{
	return slot >= 1 && slot <= PanelSettings::slotCount;
}

enum SlotField { Address, Name };

// Made once: a slot read is a lookup, not a string build.
const QString &slotKey(int slot, SlotField field)
{
	static const auto keys = [] {
		std::array<std::array<QString, 2>, PanelSettings::slotCount + 1> made;
		for (int n = 1; n <= PanelSettings::slotCount; ++n)
			made[n] = {QStringLiteral("Camera%1IP").arg(n), QStringLiteral("Camera%1NickName").arg(n)};
		return made;
	}();
	return keys[slot][field];
}

struct FieldInfo {
	const char *name;
	const char *fallback;
};

FieldInfo fieldInfo(PanelSettings::CameraField field)
{
	using F = PanelSettings::CameraField;
	switch (field) {
	case F::PanSpeed:
		return {"PanSpeed", "7"};
	case F::TiltSpeed:
		return {"TiltSpeed", "7"};
	case F::ZoomSpeed:
		return {"ZoomSpeed", "5"};
	case F::FocusSpeed:
		return {"FocusSpeed", "3"};
	case F::PresetSpeed:
		return {"PresetSpeed", ""};
	case F::TiltUpLimit:
		return {"TiltUpLimit", ""};
	case F::TiltDownLimit:
		return {"TiltDownLimit", ""};
	case F::PanLeftLimit:
		return {"PanLeftLimit", ""};
	case F::PanRightLimit:
		return {"PanRightLimit", ""};
	}
	return {"", ""};
}

QString cameraKey(const QString &prefix, PanelSettings::CameraField field)
{
	return prefix + QLatin1String(fieldInfo(field).name);
}

bool differs(const QJsonObject &a, const QJsonObject &b, const QString &key)
{
	return a.value(key) != b.value(key);
}

} // namespace

PanelSettings::PanelSettings(const QString &directory, QObject *parent)
	: QObject(parent), m_directory(directory), m_watcher(new QFileSystemWatcher(this)),
	  m_reloadTimer(new QTimer(this))
{
	m_reloadTimer->setSingleShot(true);
	m_reloadTimer->setInterval(reloadDelayMs);
	connect(m_reloadTimer, &QTimer::timeout, this, &PanelSettings::reload);
	connect(m_watcher, &QFileSystemWatcher::fileChanged, m_reloadTimer, qOverload<>(&QTimer::start));
	connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_reloadTimer, qOverload<>(&QTimer::start));
	reload();
}

PanelSettings::~PanelSettings()
{
	if (installed == this)
		installed = nullptr;
	if (created == this)
		created = nullptr;
}

PanelSettings &PanelSettings::instance()
{
	if (installed)
		return *installed;
	if (!created)
		created = new PanelSettings(Utils::settingsDirectory());
	return *created;
}

void PanelSettings::setInstance(PanelSettings *settings)
{
	installed = settings;
}

void PanelSettings::destroyInstance()
{
	delete created;
}

bool PanelSettings::reload()
{
	QJsonObject values;
	const bool read = Utils::readJsonFile(values, m_directory);
	if (!read)
		Utils::log(QStringLiteral("It's failed to read JSON file."));
	watch();
	adopt(values);
	return read;
}

bool PanelSettings::hasSlotAddress(int slot) const
{
	return validSlot(slot) && m_values.contains(slotKey(slot, Address));
}

QString PanelSettings::slotAddress(int slot) const
{
	return validSlot(slot) ? m_values.value(slotKey(slot, Address)).toString() : QString();
}

bool PanelSettings::hasSlotName(int slot) const
{
	return validSlot(slot) && m_values.contains(slotKey(slot, Name));
}

QString PanelSettings::slotName(int slot) const
{
	return validSlot(slot) ? m_values.value(slotKey(slot, Name)).toString() : QString();
}

bool PanelSettings::setSlot(int slot, const QString &address, const QString &name)
{
	if (!validSlot(slot))
		return false;
	return write(QJsonObject{{slotKey(slot, Address), address}, {slotKey(slot, Name), name}});
}

bool PanelSettings::hasCameraValue(const QString &prefix, CameraField field) const
{
	return m_values.contains(cameraKey(prefix, field));
}

QString PanelSettings::cameraValue(const QString &prefix, CameraField field) const
{
	const QString key = cameraKey(prefix, field);
	return m_values.contains(key) ? m_values.value(key).toString() : QString::fromLatin1(fieldInfo(field).fallback);
}

bool PanelSettings::setCameraValue(const QString &prefix, CameraField field, const QString &value)
{
	return write(QJsonObject{{cameraKey(prefix, field), value}});
}

QString PanelSettings::presetName(int number) const
{
	const QString key = QString::number(number);
	return m_values.contains(key) ? m_values.value(key).toString() : key;
}

bool PanelSettings::hasPresetName(int number) const
{
	return number >= 1 && number <= presetNameCount && m_values.contains(QString::number(number));
}

bool PanelSettings::setPresetNames(const QStringList &names)
{
	QJsonObject changes;
	for (int k = 1; k <= presetNameCount && k <= names.size(); ++k)
		changes[QString::number(k)] = names.at(k - 1);
	return write(changes);
}

bool PanelSettings::hotKeysEnabled() const
{
	return m_values.value(QLatin1String(hotKeyKey)).toBool(false);
}

bool PanelSettings::setHotKeysEnabled(bool enabled)
{
	return write(QJsonObject{{QLatin1String(hotKeyKey), enabled}});
}

bool PanelSettings::bridgeOpenToNetwork() const
{
	return m_values.value(QLatin1String(bridgeKey)).toBool(false);
}

bool PanelSettings::setBridgeOpenToNetwork(bool open)
{
	return write(QJsonObject{{QLatin1String(bridgeKey), open}});
}

QJsonValue PanelSettings::value(const QString &key) const
{
	return m_values.value(key);
}

bool PanelSettings::setValue(const QString &key, const QJsonValue &value)
{
	return write(QJsonObject{{key, value}});
}

bool PanelSettings::setValues(const QJsonObject &values)
{
	return write(values);
}

QString PanelSettings::directory() const
{
	return m_directory;
}

bool PanelSettings::write(const QJsonObject &changes)
{
	// The file as it is now, not the memory: an outside edit that the watcher has not brought in yet survives.
	QJsonObject values;
	bool written = false;
	if (!Utils::readJsonFile(values, m_directory)) {
		Utils::log(QStringLiteral("It's failed to read JSON file."));
	} else {
		const QJsonObject before = values;
		for (auto it = changes.begin(); it != changes.end(); ++it) {
			if (it.value().isNull())
				values.remove(it.key());
			else
				values[it.key()] = it.value();
		}
		written = Utils::writeJsonFile(values, m_directory);
		if (!written) {
			Utils::log(QStringLiteral("It's failed to write JSON file."));
			values = before;
		}
		watch();
		adopt(values);
	}
	// Told only now, once the file is done with, so that a listener's own change starts a cycle of its own.
	if (!written)
		emit writeFailed(QString::fromUtf8(obs_module_text("SettingsNotSaved")));
	return written;
}

void PanelSettings::adopt(const QJsonObject &values)
{
	if (values == m_values)
		return;
	bool slotChange = false;
	for (int slot = 1; slot <= slotCount && !slotChange; ++slot)
		slotChange = differs(values, m_values, slotKey(slot, Address)) ||
			     differs(values, m_values, slotKey(slot, Name));
	bool presetChange = false;
	for (int k = 1; k <= presetNameCount && !presetChange; ++k)
		presetChange = differs(values, m_values, QString::number(k));
	m_values = values;
	if (slotChange)
		emit slotsChanged();
	if (presetChange)
		emit presetNamesChanged();
	emit changed();
}

void PanelSettings::watch()
{
	const QString file = m_directory + "/BrenmoorOBSPlugin.json";
	// Qt drops a watched file that was renamed over or removed; watching it again picks up the new one.
	if (!m_watcher->files().isEmpty())
		m_watcher->removePaths(m_watcher->files());
	if (QFileInfo::exists(file))
		m_watcher->addPath(file);
	if (m_watcher->directories().isEmpty() && QFileInfo(m_directory).isDir())
		m_watcher->addPath(m_directory);
}
