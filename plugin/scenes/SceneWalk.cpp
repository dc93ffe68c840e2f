#include "plugin/scenes/SceneWalk.h"

namespace {

// OBS refuses scenes that contain themselves; the bound only keeps a broken collection from looping.
constexpr int maxDepth = 32;

struct Walk {
	const std::function<void(obs_source_t *)> &visit;
	int depth;
};

bool visitItem(obs_scene_t *, obs_sceneitem_t *item, void *data)
{
	auto *walk = static_cast<Walk *>(data);
	if (!obs_sceneitem_visible(item))
		return true;
	obs_source_t *source = obs_sceneitem_get_source(item);
	walk->visit(source);
	obs_scene_t *inner = obs_group_or_scene_from_source(source);
	if (inner != nullptr && walk->depth < maxDepth) {
		Walk deeper{walk->visit, walk->depth + 1};
		obs_scene_enum_items(inner, visitItem, &deeper);
	}
	return true;
}

} // namespace

void forEachVisibleSource(obs_source_t *scene, const std::function<void(obs_source_t *)> &visit)
{
	obs_scene_t *outer = obs_group_or_scene_from_source(scene);
	if (outer == nullptr)
		return;
	Walk walk{visit, 0};
	obs_scene_enum_items(outer, visitItem, &walk);
}
