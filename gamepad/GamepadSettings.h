#pragma once

#include "gamepad/PadMapping.h"
#include "gamepad/StickResponse.h"

#include <QString>

class PanelSettings;

// The gamepad's keys in the settings file: whether pads are used, the dead zone (percent of the throw), the
// response curve, and each pad's mapping and slot by its SDL GUID (pads left at the defaults have no entry).
class GamepadSettings {
public:
	static const QString enabledKey;
	static const QString deadZoneKey;
	static const QString curveKey;
	static const QString padsKey;

	explicit GamepadSettings(PanelSettings &settings) : m_settings(settings) {}

	// On unless turned off.
	bool enabled() const;
	bool setEnabled(bool enabled);
	StickResponse response() const;
	// Dead zone and curve in one write.
	bool setResponse(const StickResponse &response);
	PadMapping mapping(const QString &guid) const;
	bool setMapping(const QString &guid, const PadMapping &mapping);

private:
	PanelSettings &m_settings;
};
