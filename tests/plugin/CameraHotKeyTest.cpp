// CameraHotKey against a real libobs started in this process.
#include "CameraHotKey.h"

#include <QCoreApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>
#include <obs.h>

#include <cstdio>
#include <memory>

namespace {

QStringList logLines;

// Front-end hotkeys are the ones OBS saves under [Hotkeys] in basic.ini.
size_t frontendHotkeyCount()
{
	size_t count = 0;
	obs_enum_hotkeys(
		[](void *data, obs_hotkey_id, obs_hotkey_t *key) {
			*static_cast<size_t *>(data) +=
				obs_hotkey_get_registerer_type(key) == OBS_HOTKEY_REGISTERER_FRONTEND;
			return true;
		},
		&count);
	return count;
}

// The bindings libobs holds for one hotkey, as it would save them: "OBS_KEY_F5+shift", ...
QStringList bindingsOf(obs_hotkey_id id)
{
	QStringList out;
	obs_data_array_t *array = obs_hotkey_save(id);
	for (size_t i = 0; i < obs_data_array_count(array); i++) {
		obs_data_t *item = obs_data_array_item(array, i);
		out << QString(obs_data_get_string(item, "key")) + (obs_data_get_bool(item, "shift") ? "+shift" : "");
		obs_data_release(item);
	}
	obs_data_array_release(array);
	return out;
}

QByteArray bindingFor(const char *name)
{
	return QByteArray("[Hotkeys]\n") + name + "={\"bindings\":[{\"shift\":true,\"key\":\"OBS_KEY_F5\"}]}\n";
}

const QByteArray otherBinding = "OBSBasic.StartStreaming={\"bindings\":[{\"key\":\"OBS_KEY_F6\"}]}\n";

enum class Profile { FromFrontEnd, EmptyPath, Directory, File };

struct IniCase {
	const char *name;
	Profile profile;
	QByteArray content;
	QStringList expectedLog;
	int boundKey; // index that must hold exactly the Shift+F5 binding, -1 for none
};

class CameraHotKeyIniTest : public ::testing::TestWithParam<IniCase> {};

TEST_P(CameraHotKeyIniTest, LoadsBindingsReachesTheUiThreadAndUnregistersOnDestruction)
{
	const IniCase &c = GetParam();
	QTemporaryDir dir;
	logLines.clear();
	const size_t before = frontendHotkeyCount();
	std::unique_ptr<CameraHotKey> hotKeys;
	if (c.profile == Profile::FromFrontEnd) {
		hotKeys = std::make_unique<CameraHotKey>(); // no front end in this process
	} else {
		const QString path = c.profile == Profile::EmptyPath ? QString() : dir.filePath("basic.ini");
		QFile file(path);
		if (c.profile == Profile::Directory) {
			QDir().mkpath(path);
		} else if (c.profile == Profile::File) {
			ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(c.content) == c.content.size() &&
				    file.flush());
		}
		hotKeys = std::make_unique<CameraHotKey>(path, nullptr);
	}
	EXPECT_EQ(logLines, c.expectedLog);
	for (int index = 0; index < CameraHotKey::KeyCount; index++)
		EXPECT_EQ(bindingsOf(hotKeys->hotKeyId(index)),
			  index == c.boundKey ? QStringList{"OBS_KEY_F5+shift"} : QStringList())
			<< index;
	EXPECT_EQ(frontendHotkeyCount(), before + CameraHotKey::KeyCount);
	// Injection presses the binding; libobs' hotkey thread releases it once it sees the key is not held.
	using Events = QList<QPair<int, bool>>;
	Events received; // key (-1 off the UI thread), pressed
	QObject::connect(hotKeys.get(), &CameraHotKey::hotKeysentTo, hotKeys.get(), [&](int key, bool pressed) {
		received.append({QThread::currentThread() == qApp->thread() ? key : -1, pressed});
	});
	obs_hotkey_inject_event({INTERACT_SHIFT_KEY, OBS_KEY_F5}, true);
	for (int round = 0; round < 100 && c.boundKey >= 0 && received.size() < 2; round++)
		QTest::qWait(50);
	EXPECT_EQ(received, (c.boundKey < 0 ? Events() : Events{{c.boundKey, true}, {c.boundKey, false}}));
	hotKeys.reset();
	EXPECT_EQ(frontendHotkeyCount(), before);
	// A key that was bound to the destroyed object must not reach it any more.
	obs_hotkey_inject_event({INTERACT_SHIFT_KEY, OBS_KEY_F5}, true);
}

INSTANTIATE_TEST_SUITE_P(
	Profiles, CameraHotKeyIniTest,
	::testing::Values(
		IniCase{"NoFrontEnd", Profile::FromFrontEnd, {}, {"Failed to get base.ini path"}, -1},
		IniCase{"NoProfilePath", Profile::EmptyPath, {}, {"Failed to get base.ini path"}, -1},
		// libobs would abort the process when parsing a directory.
		IniCase{"DirectoryPath", Profile::Directory, {}, {"Failed to open basic.ini: -2"}, -1},
		IniCase{"NoHotkeysSection", Profile::File, "[General]\nName=Untitled\n", {}, -1},
		IniCase{"Preset3AmongOthers", Profile::File, bindingFor("Preset3HotKey") + otherBinding, {}, 8},
		IniCase{"Preset9", Profile::File, bindingFor("Preset9HotKey"), {}, 14},
		// Keys added after the first fifteen keep the same way of loading, at their own places.
		IniCase{"SelectCamera8", Profile::File, bindingFor("SelectCamera8HotKey"), {}, 22},
		IniCase{"Preset19", Profile::File, bindingFor("Preset19HotKey"), {}, 34},
		IniCase{"FocusFar", Profile::File, bindingFor("FocusFarHotKey"), {}, 37},
		IniCase{"BrokenJson", Profile::File, "[Hotkeys]\nPreset3HotKey={\"bindings\":[{\"key\"\n", {}, -1},
		IniCase{"NoBindingsMember", Profile::File, "[Hotkeys]\nPreset3HotKey={\"keys\":[]}\n", {}, -1}),
	[](const ::testing::TestParamInfo<IniCase> &info) { return std::string(info.param.name); });

} // namespace

int main(int argc, char **argv)
{
	QCoreApplication app(argc, argv);
	qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &msg) { logLines << msg; });
	// The profile's troubles are developer lines, off unless asked for.
	QLoggingCategory::setFilterRules(QStringLiteral("ptz.developer.debug=true"));
	::testing::InitGoogleTest(&argc, argv);
	if (!obs_startup("en-US", nullptr, nullptr)) {
		fprintf(stderr, "FAIL: libobs did not start (no X display? run under xvfb-run)\n");
		return 1;
	}
	int result = RUN_ALL_TESTS();
	obs_shutdown();
	return result;
}
