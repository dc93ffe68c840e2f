#include "plugin/scenes/TallyWatcher.h"

#include "plugin/scenes/SceneWalk.h"
#include "plugin/scenes/SlotSources.h"

#include "control/CameraRig.h"
#include "settings/PanelSettings.h"

#include <QMetaObject>

#include <unordered_set>

namespace {

// Everything that may change which sources are on program or in the preview, or which source a name finds.
const char *const sourceSignals[] = {"source_activate", "source_deactivate", "source_show",   "source_hide",
				     "source_create",   "source_remove",     "source_destroy"};

} // namespace

TallyWatcher::TallyWatcher(CameraRig &rig, PanelSettings &settings, SlotSources &sources, QObject *parent)
	: QObject(parent), m_rig(rig), m_settings(settings), m_sources(sources)
{
	signal_handler_t *handler = obs_get_signal_handler();
	for (const char *signal : sourceSignals)
		signal_handler_connect(handler, signal, onSourceSignal, this);
	obs_frontend_add_event_callback(onFrontendEvent, this);
	m_attached = true;
	connect(&m_settings, &PanelSettings::changed, this, &TallyWatcher::requestUpdate);
	connect(&m_rig, &CameraRig::sessionStateChanged, this, [this](int slot, CameraSession::State) {
		// Whatever the camera showed before, it is told again once it is back.
		m_sent[size_t(slot - 1)].reset();
		requestUpdate();
	});
}

TallyWatcher::~TallyWatcher()
{
	detach();
}

void TallyWatcher::detach()
{
	if (!m_attached)
		return;
	m_attached = false;
	signal_handler_t *handler = obs_get_signal_handler();
	for (const char *signal : sourceSignals)
		signal_handler_disconnect(handler, signal, onSourceSignal, this);
	obs_frontend_remove_event_callback(onFrontendEvent, this);
}

QString TallyWatcher::tallyKey(int slot)
{
	return QStringLiteral("Camera%1Tally").arg(slot);
}

void TallyWatcher::onFrontendEvent(enum obs_frontend_event event, void *data)
{
	auto *watcher = static_cast<TallyWatcher *>(data);
	if (event == OBS_FRONTEND_EVENT_EXIT)
		watcher->detach();
	else if (event == OBS_FRONTEND_EVENT_SCENE_CHANGED || event == OBS_FRONTEND_EVENT_PREVIEW_SCENE_CHANGED)
		watcher->update(); // on the interface thread already: the lamps change with the cut, not a frame later
	else
		watcher->requestUpdate();
}

void TallyWatcher::onSourceSignal(void *data, calldata_t *)
{
	static_cast<TallyWatcher *>(data)->requestUpdate();
}

void TallyWatcher::requestUpdate()
{
	if (m_pending.exchange(true))
		return;
	QMetaObject::invokeMethod(
		this,
		[this] {
			m_pending = false;
			update();
		},
		Qt::QueuedConnection);
}

void TallyWatcher::update()
{
	if (!m_attached)
		return;
	std::unordered_set<obs_source_t *> preview;
	if (obs_frontend_preview_program_mode_active()) {
		if (obs_source_t *scene = obs_frontend_get_current_preview_scene()) {
			forEachVisibleSource(scene, [&preview](obs_source_t *source) { preview.insert(source); });
			obs_source_release(scene);
		}
	}
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot) {
		obs_source_t *source = m_sources.source(slot);
		const bool onProgram = source != nullptr && obs_source_active(source);
		const bool inPreview = source != nullptr && preview.count(source) != 0;
		obs_source_release(source);
		const CameraRig::OnAir air = SceneRules::onAirOf(onProgram, inPreview);
		m_rig.setOnAir(slot, air);

		CameraSession *camera = m_rig.session(slot);
		if (camera->state() != CameraSession::State::Connected)
			continue;
		const SceneRules::TallyMode mode =
			SceneRules::tallyModeFromText(m_settings.value(tallyKey(slot)).toString());
		std::optional<SceneRules::Lamps> &sent = m_sent[size_t(slot - 1)];
		for (const auto &[lamp, on] : SceneRules::lampChanges(sent, mode, air)) {
			if (!camera->setTally(lamp, on))
				break;
			if (!sent)
				sent = SceneRules::Lamps();
			(lamp == TallyLamp::Lamp::Red ? sent->red : sent->green) = on;
		}
	}
}
