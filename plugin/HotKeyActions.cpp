#include "plugin/HotKeyActions.h"

#include "plugin/CameraHotKey.h"

#include "control/CameraRig.h"
#include "settings/PanelSettings.h"

HotKeyActions::HotKeyActions(CameraHotKey &hotKeys, CameraRig &rig, QObject *parent) : QObject(parent), rig(rig)
{
	connect(&hotKeys, &CameraHotKey::hotKeysentTo, this, &HotKeyActions::handle);
}

void HotKeyActions::handle(int key, bool pressed)
{
	if (!PanelSettings::instance().hotKeysEnabled())
		return;
	CameraSession *camera = rig.selected();
	if (camera == nullptr || camera->state() != CameraSession::State::Connected)
		return;
	using Direction = CameraSession::Direction;
	switch (key) {
	case 0:
	case 1:
	case 2:
	case 3: {
		static const Direction moves[] = {Direction::Up, Direction::Down, Direction::Left, Direction::Right};
		if (pressed)
			camera->move(moves[key]);
		else
			camera->stopMove();
		break;
	}
	case 4:
	case 5:
		if (pressed)
			camera->zoom(key == 4);
		else
			camera->stopZoom();
		break;
	default:
		if (key >= 6 && key < CameraHotKey::KeyCount && pressed)
			rig.recallPreset(camera->slot(), key - 5, CameraRig::Origin::HotKey);
		break;
	}
}
