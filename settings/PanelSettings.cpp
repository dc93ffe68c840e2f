#include "settings/PanelSettings.h"

#include "settings/Utils.h"

#include <QtDebug>

namespace {

PanelSettings *installed = nullptr;

const char *const fieldNames[] = {"PanSpeed",    "TiltSpeed",     "ZoomSpeed",    "FocusSpeed",   "PresetSpeed",
				  "TiltUpLimit", "TiltDownLimit", "PanLeftLimit", "PanRightLimit"};
const char *const fieldDefaults[] = {"7", "7", "5", "3", "", "", "", "", ""};

QString slotKey(int slot, const char *field)
{
	return QStringLiteral("Camera%1%2").arg(slot).arg(QLatin1String(field));
}

QString fieldKey(const QString &prefix, PanelSettings::CameraField field)
{
	return prefix + QLatin1String(fieldNames[static_cast<int>(field)]);
}

} // namespace

PanelSettings::PanelSettings(const QString &directory, QObject *parent) : QObject(parent), m_directory(directory)
{
	reload();
}

PanelSettings::~PanelSettings()
{
	if (installed == this)
		installed = nullptr;
}

PanelSettings &PanelSettings::instance()
{
	if (installed == nullptr)
		installed = new PanelSettings(Utils::settingsDirectory());
	return *installed;
}

void PanelSettings::setInstance(PanelSettings *settings)
{
	installed = settings;
}

bool PanelSettings::reload()
{
	QJsonObject object;
	const bool read = Utils::readJsonFile(object, m_directory);
	m_values = read ? object : QJsonObject();
	if (!read)
		qDebug("It's failed to read JSON file.");
	emit slotsChanged();
	emit presetNamesChanged();
	emit changed();
	return read;
}

bool PanelSettings::write(const QJsonObject &values)
{
	QJsonObject object;
	if (!Utils::readJsonFile(object, m_directory)) {
		qDebug("It's failed to read JSON file.");
		emit writeFailed(tr("SettingsNotSaved"));
		return false;
	}
	for (auto it = values.begin(); it != values.end(); ++it)
		object[it.key()] = it.value();
	if (!Utils::writeJsonFile(object, m_directory)) {
		qDebug("It's failed to write JSON file.");
		emit writeFailed(tr("SettingsNotSaved"));
		return false;
	}
	m_values = object;
	emit changed();
	return true;
}

bool PanelSettings::hasSlotAddress(int slot) const
{
	return m_values.contains(slotKey(slot, "IP"));
}

QString PanelSettings::slotAddress(int slot) const
{
	return m_values.value(slotKey(slot, "IP")).toString();
}

bool PanelSettings::hasSlotName(int slot) const
{
	return m_values.contains(slotKey(slot, "NickName"));
}

QString PanelSettings::slotName(int slot) const
{
	return m_values.value(slotKey(slot, "NickName")).toString();
}

bool PanelSettings::setSlot(int slot, const QString &address, const QString &name)
{
	const bool ok = write(QJsonObject{{slotKey(slot, "IP"), address}, {slotKey(slot, "NickName"), name}});
	if (ok)
		emit slotsChanged();
	return ok;
}

bool PanelSettings::hasCameraValue(const QString &prefix, CameraField field) const
{
	return m_values.contains(fieldKey(prefix, field));
}

QString PanelSettings::cameraValue(const QString &prefix, CameraField field) const
{
	const QString key = fieldKey(prefix, field);
	return m_values.contains(key) ? m_values.value(key).toString()
				      : QString::fromLatin1(fieldDefaults[static_cast<int>(field)]);
}

bool PanelSettings::setCameraValue(const QString &prefix, CameraField field, const QString &value)
{
	return write(QJsonObject{{fieldKey(prefix, field), value}});
}

QString PanelSettings::presetName(int number) const
{
	const QString key = QString::number(number);
	return m_values.contains(key) ? m_values.value(key).toString() : key;
}

bool PanelSettings::hasPresetName(int number) const
{
	return m_values.contains(QString::number(number));
}

bool PanelSettings::setPresetNames(const QStringList &names)
{
	QJsonObject values;
	for (int k = 1; k <= presetNameCount && k <= names.size(); ++k)
		values[QString::number(k)] = names[k - 1];
	const bool ok = write(values);
	if (ok)
		emit presetNamesChanged();
	return ok;
}

bool PanelSettings::hotKeysEnabled() const
{
	return m_values.value("hotKey").toBool(false);
}

bool PanelSettings::setHotKeysEnabled(bool enabled)
{
	return write(QJsonObject{{"hotKey", enabled}});
}

bool PanelSettings::bridgeOpenToNetwork() const
{
	return m_values.value("bridgeOpenToNetwork").toBool(false);
}

bool PanelSettings::setBridgeOpenToNetwork(bool open)
{
	return write(QJsonObject{{"bridgeOpenToNetwork", open}});
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
