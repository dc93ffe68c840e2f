#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>

class QFileSystemWatcher;
class QTimer;

// The one reader and writer of the settings file "BrenmoorOBSPlugin.json". It reads the file once and serves
// every later read from memory; each change reads the file again, sets only its own keys on what it found and
// writes the whole object back atomically, so keys it does not own (and outside edits) survive. Lives on the
// thread that created it (the interface thread in OBS); not thread-safe.
class PanelSettings : public QObject {
	Q_OBJECT

public:
	static constexpr int slotCount = 8;
	static constexpr int presetNameCount = 9;

	// Per-camera fields, stored under the camera's prefix (its address text followed by its model name).
	enum class CameraField {
		PanSpeed,
		TiltSpeed,
		ZoomSpeed,
		FocusSpeed,
		PresetSpeed,
		TiltUpLimit,
		TiltDownLimit,
		PanLeftLimit,
		PanRightLimit,
	};

	// directory: where the file lives (Utils::settingsDirectory() in OBS; tests give their own).
	explicit PanelSettings(const QString &directory, QObject *parent = nullptr);
	~PanelSettings() override;

	// The module's instance (created on first use in Utils::settingsDirectory()); tests may install their own.
	static PanelSettings &instance();
	static void setInstance(PanelSettings *settings);
	// Deletes the instance that instance() created, if any (the module does so when it unloads, so that no watcher
	// outlives its code). An instance installed with setInstance stays its installer's.
	static void destroyInstance();

	// Reads the file (again); false when it could not be read (the values then read as their defaults).
	bool reload();

	// Slots 1..8. Address: empty when the slot has none. Name: the stored nickname, empty when absent.
	bool hasSlotAddress(int slot) const;
	QString slotAddress(int slot) const;
	bool hasSlotName(int slot) const;
	QString slotName(int slot) const;
	// Writes both keys of the slot in one write.
	bool setSlot(int slot, const QString &address, const QString &name);

	// Per-camera values; absent keys give the defaults ("7", "7", "5", "3"; empty for the preset speed and the
	// limits).
	bool hasCameraValue(const QString &prefix, CameraField field) const;
	QString cameraValue(const QString &prefix, CameraField field) const;
	bool setCameraValue(const QString &prefix, CameraField field, const QString &value);

	// Preset names 1..9 (shared by every camera): the digit itself when absent.
	QString presetName(int number) const;
	bool hasPresetName(int number) const;
	// All nine at once, in one write.
	bool setPresetNames(const QStringList &names);

	bool hotKeysEnabled() const;
	bool setHotKeysEnabled(bool enabled);
	bool bridgeOpenToNetwork() const;
	bool setBridgeOpenToNetwork(bool open);

	// Generic access for keys that features add beside these (read from memory; set in one write; a null value
	// removes the key).
	QJsonValue value(const QString &key) const;
	bool setValue(const QString &key, const QJsonValue &value);
	bool setValues(const QJsonObject &values);

	QString directory() const;

signals:
	// The slots' addresses or names changed (by a write here or an outside edit picked up).
	void slotsChanged();
	void presetNamesChanged();
	// Any value changed.
	void changed();
	// A write did not happen; text is for the operator (already translated when a locale is loaded).
	void writeFailed(const QString &text);

private:
	// The settings update cycle: read the file again, set changes on what it holds, write it back whole.
	bool write(const QJsonObject &changes);
	// Takes values as the memory's state and tells what changed.
	void adopt(const QJsonObject &values);
	// Watches the file and its directory again: an atomic rename replaces the file that was watched.
	void watch();

	QString m_directory;
	QJsonObject m_values;
	QFileSystemWatcher *m_watcher;
	// Outside changes come in bursts (an editor's write, our own rename): one read after the burst.
	QTimer *m_reloadTimer;
};
