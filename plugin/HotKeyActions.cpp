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
	if (key >= CameraHotKey::SelectCamera1 && key < CameraHotKey::SelectCamera1 + CameraRig::slotCount) {
		if (pressed)
			selectSlot(key - CameraHotKey::SelectCamera1 + 1);
	} else if (key == CameraHotKey::NextCamera || key == CameraHotKey::PreviousCamera) {
		if (pressed)
			stepSelection(key == CameraHotKey::NextCamera ? 1 : -1);
	} else {
		drive(key, pressed);
	}
}

bool HotKeyActions::selectable(int slot) const
{
	const CameraSession *session = rig.session(slot);
	return session != nullptr && (session->state() == CameraSession::State::Connected ||
				      session->state() == CameraSession::State::Connecting);
}

void HotKeyActions::selectSlot(int slot)
{
	if (selectable(slot))
		rig.select(slot);
}

void HotKeyActions::stepSelection(int step)
{
	const int count = CameraRig::slotCount;
	int slot = rig.selectedSlot() != 0 ? rig.selectedSlot() : (step > 0 ? count : 1);
	for (int tried = 0; tried < count; ++tried) {
		slot = (slot - 1 + step + count) % count + 1;
		if (selectable(slot)) {
			rig.select(slot);
			return;
		}
	}
}

void HotKeyActions::drive(int key, bool pressed)
{
	CameraSession *camera = rig.selected();
	if (camera == nullptr || camera->state() != CameraSession::State::Connected)
		return;
	using Direction = CameraSession::Direction;
	if (key >= CameraHotKey::TiltUp && key < CameraHotKey::ZoomIn) {
		static const Direction moves[] = {Direction::Up, Direction::Down, Direction::Left, Direction::Right};
		if (pressed)
			camera->move(moves[key - CameraHotKey::TiltUp]);
		else
			camera->stopMove();
	} else if (key == CameraHotKey::ZoomIn || key == CameraHotKey::ZoomIn + 1) {
		if (pressed)
			camera->zoom(key == CameraHotKey::ZoomIn);
		else
			camera->stopZoom();
	} else if (key == CameraHotKey::FocusNear || key == CameraHotKey::FocusFar) {
		if (pressed)
			camera->focus(key == CameraHotKey::FocusNear);
		else
			camera->stopFocus();
	} else if (!pressed) {
		return;
	} else if (key >= CameraHotKey::Preset1 && key < CameraHotKey::Preset1 + 9) {
		rig.recallPreset(camera->slot(), key - CameraHotKey::Preset1 + 1, CameraRig::Origin::HotKey);
	} else if (key >= CameraHotKey::Preset10 && key < CameraHotKey::Preset10 + 10) {
		rig.recallPreset(camera->slot(), key - CameraHotKey::Preset10 + 10, CameraRig::Origin::HotKey);
	} else if (key == CameraHotKey::Home) {
		camera->home();
	}
}
