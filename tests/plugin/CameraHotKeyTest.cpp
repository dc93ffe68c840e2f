// CameraHotKey against a real libobs started in this process.
#include "CameraHotKey.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <obs.h>

#include <cstdio>
#include <set>
#include <vector>

namespace {

QStringList logLines;

void captureLog(QtMsgType, const QMessageLogContext &, const QString &msg)
{
	logLines << msg;
}

struct Binding {
	obs_hotkey_id id;
	obs_key_t key;
	uint32_t modifiers;
};

std::vector<Binding> allBindings()
{
	std::vector<Binding> out;
	obs_enum_hotkey_bindings(
		[](void *data, size_t, obs_hotkey_binding_t *binding) {
			obs_key_combination_t combo = obs_hotkey_binding_get_key_combination(binding);
			static_cast<std::vector<Binding> *>(data)->push_back(
				{obs_hotkey_binding_get_hotkey_id(binding), combo.key, combo.modifiers});
			return true;
		},
		&out);
	return out;
}

std::set<obs_hotkey_id> registeredIds()
{
	std::set<obs_hotkey_id> ids;
	obs_enum_hotkeys(
		[](void *data, obs_hotkey_id id, obs_hotkey_t *) {
			static_cast<std::set<obs_hotkey_id> *>(data)->insert(id);
			return true;
		},
		&ids);
	return ids;
}

QString writeIni(const QTemporaryDir &dir, const QByteArray &content)
{
	QString path = dir.filePath("basic.ini");
	QFile file(path);
	file.open(QIODevice::WriteOnly);
	file.write(content);
	return path;
}

class CameraHotKeyTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		logLines.clear();
		previousHandler = qInstallMessageHandler(captureLog);
	}
	void TearDown() override { qInstallMessageHandler(previousHandler); }

	QTemporaryDir dir;
	QtMessageHandler previousHandler = nullptr;
};

TEST_F(CameraHotKeyTest, RegistersFifteenNamedHotkeysInTableOrder)
{
	CameraHotKey hotKeys(QString(), nullptr);
	const char *names[CameraHotKey::KeyCount] = {
		"TiltUpHotKey",  "TiltDownHotKey", "PanLeftHotKey", "PanRightHotKey", "ZoomInHotKey",
		"ZoomOutHotKey", "Preset1HotKey",  "Preset2HotKey", "Preset3HotKey",  "Preset4HotKey",
		"Preset5HotKey", "Preset6HotKey",  "Preset7HotKey", "Preset8HotKey",  "Preset9HotKey"};
	struct Seen {
		obs_hotkey_id id;
		std::string name, description;
		obs_hotkey_registerer_t type;
	};
	std::vector<Seen> seen;
	obs_enum_hotkeys(
		[](void *data, obs_hotkey_id id, obs_hotkey_t *key) {
			static_cast<std::vector<Seen> *>(data)->push_back({id, obs_hotkey_get_name(key),
									   obs_hotkey_get_description(key),
									   obs_hotkey_get_registerer_type(key)});
			return true;
		},
		&seen);
	for (int key = 0; key < CameraHotKey::KeyCount; key++) {
		auto it = std::find_if(seen.begin(), seen.end(),
				       [&](const Seen &s) { return s.id == hotKeys.hotKeyId(key); });
		ASSERT_NE(it, seen.end()) << key;
		EXPECT_EQ(it->name, names[key]);
		EXPECT_EQ(it->type, OBS_HOTKEY_REGISTERER_FRONTEND);
	}
	auto preset3 =
		std::find_if(seen.begin(), seen.end(), [&](const Seen &s) { return s.id == hotKeys.hotKeyId(8); });
	EXPECT_EQ(preset3->description, "Call Preset3");
	auto zoomOut =
		std::find_if(seen.begin(), seen.end(), [&](const Seen &s) { return s.id == hotKeys.hotKeyId(5); });
	EXPECT_EQ(zoomOut->description, "Zoom Out");
}

// How the profile file looks, and what the constructor must make of it.
struct IniCase {
	const char *name;
	bool noPath;
	QByteArray content;
	QStringList expectedLog;
	int boundKey; // index that must hold exactly the F5 binding, -1 for none
};

class CameraHotKeyIniTest : public CameraHotKeyTest, public ::testing::WithParamInterface<IniCase> {};

TEST_P(CameraHotKeyIniTest, LoadsBindingsFromProfileIni)
{
	const IniCase &c = GetParam();
	QString path = c.noPath ? QString() : writeIni(dir, c.content);
	size_t before = allBindings().size();
	{
		CameraHotKey hotKeys(path, nullptr);
		EXPECT_EQ(logLines, c.expectedLog);

		std::vector<Binding> bindings = allBindings();
		int ours = 0;
		for (const Binding &b : bindings) {
			for (int key = 0; key < CameraHotKey::KeyCount; key++) {
				if (b.id != hotKeys.hotKeyId(key))
					continue;
				ours++;
				EXPECT_EQ(key, c.boundKey);
				EXPECT_EQ(b.key, OBS_KEY_F5);
				EXPECT_EQ(b.modifiers, uint32_t(INTERACT_SHIFT_KEY));
			}
		}
		EXPECT_EQ(ours, c.boundKey < 0 ? 0 : 1);
	}
	EXPECT_EQ(allBindings().size(), before);
}

const QByteArray preset3Binding = "[Hotkeys]\n"
				  "Preset3HotKey={\"bindings\":[{\"shift\":true,\"key\":\"OBS_KEY_F5\"}]}\n";

INSTANTIATE_TEST_SUITE_P(
	Profiles, CameraHotKeyIniTest,
	::testing::Values(IniCase{"NoProfilePath", true, {}, {"Failed to get base.ini path"}, -1},
			  IniCase{"NoHotkeysSection", false, "[General]\nName=Untitled\n", {}, -1},
			  IniCase{"EmptyFile", false, "", {}, -1},
			  IniCase{"PresetThreeBound", false, preset3Binding, {}, 8},
			  IniCase{"OtherHotkeysIgnored",
				  false,
				  preset3Binding +
					  "OBSBasic.StartStreaming={\"bindings\":[{\"key\":\"OBS_KEY_F6\"}]}\n",
				  {},
				  8},
			  IniCase{"BrokenJson", false, "[Hotkeys]\nPreset3HotKey={\"bindings\":[{\"key\"\n", {}, -1},
			  IniCase{"NoBindingsMember", false, "[Hotkeys]\nPreset3HotKey={\"keys\":[]}\n", {}, -1}),
	[](const ::testing::TestParamInfo<IniCase> &info) { return std::string(info.param.name); });

TEST_F(CameraHotKeyTest, DefaultConstructorWithoutFrontEndHasNoProfile)
{
	CameraHotKey hotKeys;
	EXPECT_EQ(logLines, QStringList{"Failed to get base.ini path"});
	EXPECT_NE(hotKeys.hotKeyId(0), OBS_INVALID_HOTKEY_ID);
}

TEST_F(CameraHotKeyTest, UnreadableIniIsReported)
{
	// A directory where the file should be cannot be parsed as a profile.
	QString path = dir.filePath("basic.ini");
	QDir().mkpath(path);
	CameraHotKey hotKeys(path, nullptr);
	ASSERT_EQ(logLines.size(), 1);
	EXPECT_TRUE(logLines[0].startsWith("Failed to open basic.ini: ")) << logLines[0].toStdString();
}

TEST_F(CameraHotKeyTest, KeyPressAndReleaseReachTheUiThread)
{
	CameraHotKey hotKeys(writeIni(dir, preset3Binding), nullptr);
	// Injection presses the binding; libobs' own hotkey thread releases it once it sees
	// that the key is not held, so the release arrives from that thread.
	QObject receiver;
	QList<QPair<int, bool>> received;
	bool allOnUiThread = true;
	QObject::connect(&hotKeys, &CameraHotKey::hotKeysentTo, &receiver, [&](int key, bool pressed) {
		received.append({key, pressed});
		allOnUiThread = allOnUiThread && QThread::currentThread() == qApp->thread();
	});
	obs_hotkey_inject_event({INTERACT_SHIFT_KEY, OBS_KEY_F5}, true);
	for (int round = 0; round < 100 && received.size() < 2; round++)
		QTest::qWait(50);
	ASSERT_EQ(received.size(), 2);
	EXPECT_EQ(received[0], qMakePair(8, true));
	EXPECT_EQ(received[1], qMakePair(8, false));
	EXPECT_TRUE(allOnUiThread);
}

TEST_F(CameraHotKeyTest, DestructionUnregistersEveryHotkey)
{
	std::set<obs_hotkey_id> before = registeredIds();
	std::set<obs_hotkey_id> ours;
	{
		CameraHotKey hotKeys(writeIni(dir, preset3Binding), nullptr);
		for (int key = 0; key < CameraHotKey::KeyCount; key++)
			ours.insert(hotKeys.hotKeyId(key));
		EXPECT_EQ(ours.size(), size_t(CameraHotKey::KeyCount));
		for (obs_hotkey_id id : ours)
			EXPECT_EQ(registeredIds().count(id), 1u);
	}
	EXPECT_EQ(registeredIds(), before);
	// A key that was bound to a destroyed object must not reach it any more.
	obs_hotkey_inject_event({INTERACT_SHIFT_KEY, OBS_KEY_F5}, true);
}

} // namespace

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	::testing::InitGoogleTest(&argc, argv);
	// libobs' X11 hotkey backend needs a display; the test runs under xvfb-run.
	if (!obs_startup("en-US", nullptr, nullptr)) {
		fprintf(stderr, "FAIL: libobs did not start (no X display? run under xvfb-run)\n");
		return 1;
	}
	int result = RUN_ALL_TESTS();
	obs_shutdown();
	return result;
}
