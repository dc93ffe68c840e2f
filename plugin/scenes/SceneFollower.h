#pragma once

class CameraRig;
class QObject;

// Cameras follow the show: registers the "Camera Preset" source type and starts the scene triggers, the slots'
// source lookup and the tally, owned by parent. Called once at module load, before OBS loads the scenes.
void startSceneFollowing(CameraRig &rig, QObject *parent);
