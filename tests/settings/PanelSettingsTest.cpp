#include "SettingsTestSupport.h"

#include "settings/PanelSettings.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <array>

namespace {

using Field = PanelSettings::CameraField;
const std::array<Field, 9> allFields = {Field::PanSpeed,      Field::TiltSpeed,    Field::ZoomSpeed,
					Field::FocusSpeed,    Field::PresetSpeed,  Field::TiltUpLimit,
					Field::TiltDownLimit, Field::PanLeftLimit, Field::PanRightLimit};
const std::array<const char *, 9> fieldDefaults = {"7", "7", "5", "3", "", "", "", "", ""};

struct Slot {
	int number;
	const char *address; // nullptr: no key
	const char *name;
};

struct Camera {
	const char *prefix;
	std::array<const char *, 9> values; // in allFields' order; nullptr: no key
};

// A settings file as earlier versions wrote it, and what each accessor gives for it.
struct StoredFile {
	const char *file;
	std::vector<Slot> slotEntries;       // the others have neither key
	std::array<const char *, 9> presets; // nullptr: no key
	bool hotKey;
	bool bridge;
	std::vector<Camera> cameras;
	const char *changedKey; // a key the class owns that follows other keys in the file
};

void PrintTo(const StoredFile &file, std::ostream *out)
{
	*out << file.file;
}

const StoredFile storedFiles[] = {
	{"eight-cameras.json",
	 {{1, "192.168.0.101", "Stage"},
	  {2, "192.168.0.102", "Pulpit"},
	  {3, "192.168.0.103", "Choir"},
	  {4, "192.168.0.104", "Organ"},
	  {5, "192.168.0.105", "Wide"},
	  {6, "192.168.0.106", "Lectern"},
	  {7, "192.168.0.107", "Bühne"},
	  {8, "192.168.0.108", "Balcony"}},
	 {"Wide", "Altar", "Choir", "Lectern", "Organ", "Baptism", "Door", "Close-up", "Font"},
	 true,
	 false,
	 {{"192.168.0.101QK-H57P", {"12", "9", "4", "2", "18", "30", "-30", "-170", "170"}},
	  {"192.168.0.102QK-JS4", {"3", "3", "7", "1", "24", "90", "-20", "-175", "175"}},
	  {"192.168.0.103QK-H57P", {}}},
	 "192.168.0.101QK-H57PPanSpeed"},
	// Single keys left by single changes; switches stored as text are off.
	{"partial.json",
	 {{2, "10.0.0.5", nullptr}, {5, nullptr, "Gallery"}},
	 {"Wide", nullptr, "Lectern", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
	 false,
	 true,
	 {{"10.0.0.5QK-H45P", {"3", nullptr, nullptr, nullptr, nullptr, nullptr, "-30", nullptr, nullptr}}},
	 "10.0.0.5QK-H45PPanSpeed"},
	// What the first start of earlier versions left: an empty file.
	{"empty.json", {}, {}, false, false, {{"192.168.0.101QK-H57P", {}}}, "192.168.0.101QK-H57PPanSpeed"},
};

class SettingsStoredFiles : public ::testing::TestWithParam<StoredFile> {
protected:
	void SetUp() override
	{
		ASSERT_TRUE(tmp.isValid());
		original = fileBytes(QStringLiteral(SETTINGS_TEST_DATA "/") + GetParam().file);
		putBytes(path, original);
		logged.clear();
	}

	QTemporaryDir tmp;
	const QString path = tmp.filePath("BrenmoorOBSPlugin.json");
	QByteArray original;
};

TEST_P(SettingsStoredFiles, EveryKeyReads)
{
	const StoredFile &f = GetParam();
	PanelSettings settings(tmp.path());
	for (int slot = 1; slot <= 8; ++slot) {
		Slot s{slot, nullptr, nullptr};
		for (const Slot &stored : f.slotEntries)
			if (stored.number == slot)
				s = stored;
		EXPECT_EQ(settings.hasSlotAddress(slot), s.address != nullptr) << slot;
		EXPECT_EQ(settings.slotAddress(slot), QString::fromUtf8(s.address)) << slot;
		EXPECT_EQ(settings.hasSlotName(slot), s.name != nullptr) << slot;
		EXPECT_EQ(settings.slotName(slot), QString::fromUtf8(s.name)) << slot;
	}
	for (int k = 1; k <= 9; ++k) {
		const char *name = f.presets[k - 1];
		EXPECT_EQ(settings.hasPresetName(k), name != nullptr) << k;
		EXPECT_EQ(settings.presetName(k), name ? QString::fromUtf8(name) : QString::number(k)) << k;
	}
	EXPECT_EQ(settings.hotKeysEnabled(), f.hotKey);
	EXPECT_EQ(settings.bridgeOpenToNetwork(), f.bridge);
	for (const Camera &camera : f.cameras) {
		for (size_t i = 0; i < allFields.size(); ++i) {
			const char *stored = camera.values[i];
			EXPECT_EQ(settings.hasCameraValue(camera.prefix, allFields[i]), stored != nullptr) << i;
			EXPECT_EQ(settings.cameraValue(camera.prefix, allFields[i]),
				  QString::fromUtf8(stored ? stored : fieldDefaults[i]))
				<< camera.prefix << " field " << i;
		}
	}
	EXPECT_TRUE(logged.isEmpty());
}

// A write changes the bytes of its own key only: every other line stays as it was, the unknown key included.
TEST_P(SettingsStoredFiles, RoundTripChangesOnlyItsOwnBytes)
{
	const QString key = QString::fromLatin1(GetParam().changedKey);
	const QString prefix = key.chopped(int(strlen("PanSpeed")));
	PanelSettings settings(tmp.path());
	if (!original.isEmpty()) {
		ASSERT_TRUE(settings.setValues(QJsonObject()));
		EXPECT_EQ(fileBytes(path), original);
	}
	ASSERT_TRUE(settings.setCameraValue(prefix, Field::PanSpeed, "11"));
	QList<QByteArray> before = original.split('\n');
	QList<QByteArray> after = fileBytes(path).split('\n');
	const QByteArray ownLine = "    \"" + key.toUtf8() + "\": \"11\"";
	const auto own = [&](const QByteArray &line) { return line.startsWith("    \"" + key.toUtf8() + "\":"); };
	ASSERT_EQ(std::count_if(after.begin(), after.end(), own), 1);
	EXPECT_TRUE(after.contains(ownLine) || after.contains(ownLine + ","));
	before.erase(std::remove_if(before.begin(), before.end(), own), before.end());
	after.erase(std::remove_if(after.begin(), after.end(), own), after.end());
	if (original.isEmpty())
		EXPECT_EQ(after, (QList<QByteArray>{"{", "}", ""}));
	else
		EXPECT_EQ(after, before);
	EXPECT_EQ(settings.cameraValue(prefix, Field::PanSpeed), "11");
	EXPECT_EQ(PanelSettings(tmp.path()).cameraValue(prefix, Field::PanSpeed), "11");
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsStoredFiles, ::testing::ValuesIn(storedFiles),
			 [](const ::testing::TestParamInfo<StoredFile> &info) {
				 std::string name = info.param.file;
				 name.resize(name.find('.'));
				 name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
				 return name;
			 });

class Settings : public ::testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_TRUE(tmp.isValid());
		logged.clear();
	}

	QTemporaryDir tmp;
	const QString dir = tmp.path() + "/deeper/settings";
	const QString path = dir + "/BrenmoorOBSPlugin.json";
};

// The first start makes the missing directories but no file; the first write makes a file of the user's only
// and removes what interrupted writes left (the file's name, a dot and six letters or digits), nothing else.
TEST_F(Settings, FirstStartGivesDefaultsAndTheFirstWriteItsKeysOnly)
{
	PanelSettings settings(dir);
	EXPECT_TRUE(QDir(dir).exists());
	EXPECT_FALSE(QFile::exists(path));
	EXPECT_FALSE(settings.hotKeysEnabled());

	putBytes(path + ".aB3dE9", "{");
	putBytes(path + ".notes", "mine");
	QSignalSpy slotsChanged(&settings, &PanelSettings::slotsChanged);
	QSignalSpy presetsChanged(&settings, &PanelSettings::presetNamesChanged);
	QSignalSpy changed(&settings, &PanelSettings::changed);
	ASSERT_TRUE(settings.setSlot(2, "10.0.0.5", "Pulpit"));
	EXPECT_EQ(QJsonDocument::fromJson(fileBytes(path)).object(),
		  (QJsonObject{{"Camera2IP", "10.0.0.5"}, {"Camera2NickName", "Pulpit"}}));
	EXPECT_EQ(modeOf(path), 0600u);
	EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden),
		  (QStringList{"BrenmoorOBSPlugin.json", "BrenmoorOBSPlugin.json.notes"}));
	EXPECT_EQ(settings.slotName(2), "Pulpit");
	EXPECT_EQ(QList<int>({int(slotsChanged.count()), int(presetsChanged.count()), int(changed.count())}),
		  QList<int>({1, 0, 1}));

	ASSERT_TRUE(settings.setPresetNames({"Wide", "Altar"}));
	EXPECT_EQ(QList<int>({int(slotsChanged.count()), int(presetsChanged.count()), int(changed.count())}),
		  QList<int>({1, 1, 2}));
	EXPECT_EQ(settings.presetName(2), "Altar");
	EXPECT_EQ(settings.presetName(3), "3");
	EXPECT_TRUE(logged.isEmpty());
}

void replaceByRename(const QString &path, const QByteArray &bytes)
{
	putBytes(path + ".editor", bytes);
	ASSERT_EQ(::rename(QFile::encodeName(path + ".editor").constData(), QFile::encodeName(path).constData()), 0);
}

// An outside edit made while running is never overwritten by the copy in memory, and is picked up without a
// write: edits in place and by rename, before and after the class's own atomic writes.
TEST_F(Settings, OutsideEditsArePickedUpAndSurviveWrites)
{
	putBytes(path, R"({"Camera1IP": "10.0.0.5", "hotKey": true})");
	PanelSettings settings(dir);
	QSignalSpy slotsChanged(&settings, &PanelSettings::slotsChanged);

	replaceByRename(path, R"({"Camera1IP": "10.0.0.9", "hotKey": true, "note": "mine"})");
	ASSERT_TRUE(settings.setCameraValue("10.0.0.5QK-H57P", Field::PanSpeed, "3"));
	EXPECT_EQ(QJsonDocument::fromJson(fileBytes(path)).object(), (QJsonObject{{"Camera1IP", "10.0.0.9"},
										  {"hotKey", true},
										  {"note", "mine"},
										  {"10.0.0.5QK-H57PPanSpeed", "3"}}));
	EXPECT_EQ(settings.slotAddress(1), "10.0.0.9");
	EXPECT_EQ(slotsChanged.count(), 1);

	const auto pickedUp = [&](const char *address) {
		return QTest::qWaitFor([&] { return settings.slotAddress(1) == address; }, 5000);
	};
	putBytes(path, R"({"Camera1IP": "10.0.0.7"})");
	EXPECT_TRUE(pickedUp("10.0.0.7")) << "an edit in place after the class's own write";
	EXPECT_FALSE(settings.hotKeysEnabled());
	replaceByRename(path, R"({"Camera1IP": "10.0.0.8"})");
	EXPECT_TRUE(pickedUp("10.0.0.8")) << "a replacement by rename";
	ASSERT_TRUE(QFile::remove(path));
	EXPECT_TRUE(pickedUp("")) << "a removed file";
	putBytes(path, R"({"Camera1IP": "10.0.0.6"})");
	EXPECT_TRUE(pickedUp("10.0.0.6")) << "a file made again";
	EXPECT_EQ(slotsChanged.count(), 5);
	EXPECT_TRUE(logged.isEmpty());
}

} // namespace
