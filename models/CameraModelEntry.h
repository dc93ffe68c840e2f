#pragma once

#include "models/ViscaParamOps.h"

#include <map>
#include <memory>
#include <string>

// One identified camera: its model name (or, from identifyCameras, the name discovery announced) and the model's
// parameter object. The object is shared: copies of a result share it, and it is freed when the last entry holding
// it goes, so whoever keeps a result (the panel, the assignment dialog) needs no cleanup of its own.
struct CameraModelEntry {
	std::string name;
	std::shared_ptr<ViscaParamOps> params;
};

// An identification result keyed by the camera's IP text (UTF-8): one entry when identified, none otherwise.
using CameraModelMap = std::map<std::string, CameraModelEntry>;
