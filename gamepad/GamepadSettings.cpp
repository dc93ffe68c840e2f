#include "gamepad/GamepadSettings.h"

#include "settings/PanelSettings.h"

#include <QJsonObject>

#include <cmath>

const QString GamepadSettings::enabledKey = QStringLiteral("gamepadEnabled");
const QString GamepadSettings::deadZoneKey = QStringLiteral("gamepadDeadZone");
const QString GamepadSettings::curveKey = QStringLiteral("gamepadCurve");
const QString GamepadSettings::padsKey = QStringLiteral("gamepadPads");

bool GamepadSettings::enabled() const
{
	return m_settings.value(enabledKey).toBool(true);
}

bool GamepadSettings::setEnabled(bool enabled)
{
	return m_settings.setValue(enabledKey, enabled);
}

StickResponse GamepadSettings::response() const
{
	StickResponse response;
	const QJsonValue percent = m_settings.value(deadZoneKey);
	if (percent.isDouble())
		response.setDeadZone(percent.toDouble() / 100.0);
	response.setCurve(StickResponse::curveFromName(m_settings.value(curveKey).toString()));
	return response;
}

bool GamepadSettings::setResponse(const StickResponse &response)
{
	QJsonObject values;
	values.insert(deadZoneKey, int(std::lround(response.deadZone() * 100.0)));
	values.insert(curveKey, StickResponse::curveName(response.curve()));
	return m_settings.setValues(values);
}

PadMapping GamepadSettings::mapping(const QString &guid) const
{
	return PadMapping::fromJson(m_settings.value(padsKey).toObject().value(guid).toObject());
}

bool GamepadSettings::setMapping(const QString &guid, const PadMapping &mapping)
{
	QJsonObject pads = m_settings.value(padsKey).toObject();
	const QJsonObject json = mapping.toJson();
	if (json.isEmpty())
		pads.remove(guid);
	else
		pads.insert(guid, json);
	return m_settings.setValue(padsKey, pads);
}
