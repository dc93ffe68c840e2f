#pragma once

#include <obs.h>

#include <functional>

// Every source a scene shows: its visible items, and inside nested scenes and groups theirs, to any depth.
// A source reached by several paths is visited each time.
void forEachVisibleSource(obs_source_t *scene, const std::function<void(obs_source_t *)> &visit);
