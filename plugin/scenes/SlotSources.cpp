#include "plugin/scenes/SlotSources.h"

#include "control/CameraRig.h"
#include "settings/PanelSettings.h"

#include <QJsonObject>
#include <QMetaObject>

SlotSources::SlotSources(PanelSettings &settings, QObject *parent) : QObject(parent), m_settings(settings)
{
	signal_handler_connect(obs_get_signal_handler(), "source_rename", onRename, this);
	m_attached = true;
}

SlotSources::~SlotSources()
{
	detach();
}

void SlotSources::detach()
{
	// Waits for a rename report in progress on another thread.
	if (m_attached)
		signal_handler_disconnect(obs_get_signal_handler(), "source_rename", onRename, this);
	m_attached = false;
}

QString SlotSources::key(int slot)
{
	return QStringLiteral("Camera%1Source").arg(slot);
}

QString SlotSources::sourceName(int slot) const
{
	return m_settings.value(key(slot)).toString();
}

obs_source_t *SlotSources::source(int slot) const
{
	const QString name = sourceName(slot);
	if (name.isEmpty())
		return nullptr;
	obs_source_t *source = obs_get_source_by_name(name.toUtf8().constData());
	if (source != nullptr && obs_source_removed(source)) {
		obs_source_release(source);
		return nullptr;
	}
	return source;
}

// OBS renames on whichever thread asked for it; the settings are touched on the interface thread.
void SlotSources::onRename(void *data, calldata_t *call)
{
	auto *sources = static_cast<SlotSources *>(data);
	const QString from = QString::fromUtf8(calldata_string(call, "prev_name"));
	const QString to = QString::fromUtf8(calldata_string(call, "new_name"));
	QMetaObject::invokeMethod(
		sources, [sources, from, to] { sources->renamed(from, to); }, Qt::QueuedConnection);
}

void SlotSources::renamed(const QString &from, const QString &to)
{
	if (from.isEmpty() || to.isEmpty())
		return;
	QJsonObject changes;
	for (int slot = 1; slot <= CameraRig::slotCount; ++slot) {
		if (sourceName(slot) == from)
			changes.insert(key(slot), to);
	}
	if (!changes.isEmpty())
		m_settings.setValues(changes);
}
