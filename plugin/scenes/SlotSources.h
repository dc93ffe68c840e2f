#pragma once

#include <QObject>
#include <QString>

#include <obs.h>

class PanelSettings;

// The OBS source that shows each slot's camera, named in the settings ("Camera1Source" to "Camera8Source").
// Looked up by name whenever it matters, so a source made later under the name counts from then on and a removed
// one stops counting while the key stays; a rename in OBS is followed by updating the key. Interface thread.
class SlotSources : public QObject {
	Q_OBJECT

public:
	explicit SlotSources(PanelSettings &settings, QObject *parent = nullptr);
	~SlotSources() override;

	// Stops following renames (OBS is quitting).
	void detach();

	static QString key(int slot);
	QString sourceName(int slot) const;
	// The slot's source as OBS has it now (a new reference the caller releases), or null.
	obs_source_t *source(int slot) const;

private:
	static void onRename(void *data, calldata_t *call);
	void renamed(const QString &from, const QString &to);

	PanelSettings &m_settings;
	bool m_attached = false;
};
