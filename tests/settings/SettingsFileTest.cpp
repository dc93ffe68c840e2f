#include "SettingsTestSupport.h"

#include "settings/PanelSettings.h"
#include "settings/Utils.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <future>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class SettingsFile : public ::testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_TRUE(tmp.isValid());
		logged.clear();
	}
	void TearDown() override { Utils::setSettingsOwner(::geteuid()); }

	QTemporaryDir tmp;
	const QString dir = tmp.path() + "/deeper/settings";
	const QString path = dir + "/BrenmoorOBSPlugin.json";
};

// Paths that really fail, even for root: the settings directory under a plain file, and a directory in place
// of the settings file.
struct FailingPath {
	const char *blocker; // made a file when it ends in "file", a directory otherwise
	QString settingsDir;
	const char *expectedLog;
};

class SettingsFileFailure : public SettingsFile, public ::testing::WithParamInterface<FailingPath> {};

TEST_P(SettingsFileFailure, ReadAndWriteFailAndLeaveWhatWasThere)
{
	const QString blocker = tmp.filePath(GetParam().blocker);
	const bool isFile = blocker.endsWith("file");
	if (isFile)
		putBytes(blocker, "x");
	else
		QDir().mkpath(blocker);
	const QString failing = tmp.filePath(GetParam().settingsDir);
	QJsonObject object;
	EXPECT_FALSE(Utils::readJsonFile(object, failing));
	EXPECT_EQ(logged, QStringList{GetParam().expectedLog});
	EXPECT_FALSE(Utils::writeJsonFile(QJsonObject{{"a", "b"}}, failing));
	EXPECT_TRUE(isFile ? QFileInfo(blocker).isFile() : QFileInfo(blocker).isDir());
	EXPECT_TRUE(QDir(failing).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
	Paths, SettingsFileFailure,
	::testing::Values(FailingPath{"plain-file", "plain-file/settings", "It's failed to make a directory."},
			  FailingPath{"settings/BrenmoorOBSPlugin.json", "settings",
				      "The settings file is not a regular file; it is left as it is."}));

class SettingsFileUnreadable : public SettingsFile, public ::testing::WithParamInterface<QByteArray> {};

// Each unreadable file is kept under a name of its own, with the file's permission bits: a second one does not
// overwrite the first copy.
TEST_P(SettingsFileUnreadable, ReadsEmptyAndIsKeptAsBadBeforeReplaced)
{
	for (const char *copy : {".bad", ".2.bad"}) {
		putBytes(path, GetParam() + copy, 0640);
		QJsonObject object;
		ASSERT_TRUE(Utils::readJsonFile(object, dir));
		EXPECT_TRUE(object.isEmpty());
		EXPECT_EQ(fileBytes(path), GetParam() + copy) << "reading must not change the file";

		object["hotKey"] = true;
		ASSERT_TRUE(Utils::writeJsonFile(object, dir));
		EXPECT_EQ(QJsonDocument::fromJson(fileBytes(path)).object(), object);
	}
	EXPECT_EQ(fileBytes(path + ".bad"), GetParam() + ".bad");
	EXPECT_EQ(fileBytes(path + ".2.bad"), GetParam() + ".2.bad");
	EXPECT_EQ(QList<mode_t>({modeOf(path), modeOf(path + ".bad"), modeOf(path + ".2.bad")}),
		  QList<mode_t>({0640, 0640, 0640}));
	EXPECT_EQ(logged, (QStringList{"Kept the unreadable settings file as BrenmoorOBSPlugin.json.bad.",
				       "Kept the unreadable settings file as BrenmoorOBSPlugin.json.2.bad."}));
}

INSTANTIATE_TEST_SUITE_P(Contents, SettingsFileUnreadable,
			 ::testing::Values("{\"Camera1IP\": \"10.0.0.5\", oops", "[\"Camera1IP\"]", "42",
					   QByteArray("\x00\xff\x01", 3)));

// An operator's read-only file is read but never replaced; a FIFO in its place is refused without blocking.
TEST_F(SettingsFile, ReadOnlyFileAndFifoAreLeftAlone)
{
	putBytes(path, "{\"Camera1IP\": \"10.0.0.5\"}");
	ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
	QJsonObject object;
	ASSERT_TRUE(Utils::readJsonFile(object, dir));
	EXPECT_EQ(object, (QJsonObject{{"Camera1IP", "10.0.0.5"}}));
	EXPECT_FALSE(Utils::writeJsonFile(QJsonObject{{"hotKey", true}}, dir));
	EXPECT_EQ(fileBytes(path), "{\"Camera1IP\": \"10.0.0.5\"}");
	EXPECT_FALSE(QFileInfo(path).permissions() & QFileDevice::WriteOwner);

	ASSERT_TRUE(QFile::remove(path));
	ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
	auto reading = std::async(std::launch::async, [this] {
		QJsonObject ignored;
		return Utils::readJsonFile(ignored, dir) || Utils::writeJsonFile(ignored, dir);
	});
	if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
		::close(::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK)); // release it
		FAIL() << "blocked on the FIFO";
	}
	EXPECT_FALSE(reading.get());
	EXPECT_FALSE(QFileInfo(path).isFile());
	const QString left = "The settings file is read-only or not a regular file; it is left as it is.";
	EXPECT_EQ(logged, (QStringList{left, "The settings file is not a regular file; it is left as it is.", left}));
}

// When the unreadable bytes cannot be kept (no room for them), they are not thrown away either: the write is
// refused. A write that runs out of room part-way leaves the previous file whole.
void withFileSizeLimit(rlim_t bytes, const std::function<void()> &run)
{
	rlimit saved{};
	ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
	rlimit tight = saved;
	tight.rlim_cur = bytes;
	auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
	ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
	run();
	setrlimit(RLIMIT_FSIZE, &saved);
	std::signal(SIGXFSZ, previousSignal);
}

TEST_F(SettingsFile, OutOfRoomLeavesTheFileWhole)
{
	putBytes(path, "garbage");
	withFileSizeLimit(4, [this] { EXPECT_FALSE(Utils::writeJsonFile(QJsonObject{{"hotKey", true}}, dir)); });
	EXPECT_EQ(fileBytes(path), "garbage");
	EXPECT_EQ(logged, QStringList{"It's failed to open the file."});

	ASSERT_TRUE(Utils::writeJsonFile(QJsonObject{{"Camera1IP", "10.0.0.5"}}, dir));
	const QByteArray before = fileBytes(path);
	withFileSizeLimit(512, [&] {
		EXPECT_FALSE(Utils::writeJsonFile(QJsonObject{{"Camera1NickName", QString(4096, 'n')}}, dir));
	});
	EXPECT_EQ(fileBytes(path), before);
	EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden),
		  (QStringList{"BrenmoorOBSPlugin.json", "BrenmoorOBSPlugin.json.bad"}))
		<< "no temporary file left behind";
}

const QString badLink = "The settings file is a link to something other than a regular file of this user; it is left "
			"as it is.";
const QString tooLarge = "The settings file is larger than 1 MiB; it is not read and left as it is.";
const QString notUtf8 = "The settings file holds bytes that are not UTF-8; they read as U+FFFD, and the file is kept "
			"as .bad before it is next written.";
const QString readFailed = "It's failed to read JSON file.";
const QString keptBad = "Kept the unreadable settings file as BrenmoorOBSPlugin.json.bad.";

// A file whose Camera1IP key fills it up to size bytes.
QByteArray fileOfSize(int size)
{
	QByteArray bytes = R"({"Camera1IP": "10.0.0.5", "filler": ""})";
	bytes.insert(bytes.size() - 2, QByteArray(size - bytes.size(), 'x'));
	return bytes;
}

// What the settings class does with a file that is not a plain file of the user's: what it reads, what two
// writes log (a refusal is said once) and leave behind. Elsewhere is a folder of the user's outside the
// settings folder; links point into it.
struct Hazard {
	const char *label;
	std::function<void(const QString &path, const QString &elsewhere)> prepare;
	bool foreignOwner;   // the process sees the user's files as another user's
	const char *address; // Camera1IP as read
	QStringList log;
	bool written;
	std::function<void(const QString &path, const QString &elsewhere)> check;
};

void PrintTo(const Hazard &hazard, std::ostream *out)
{
	*out << hazard.label;
}

void linkTo(const QString &path, const QString &target)
{
	ASSERT_TRUE(QFile::link(target, path));
}

const QByteArray plain = R"({"Camera1IP": "10.0.0.5"})";

const Hazard hazards[] = {
	{"LinkToOwnFile",
	 [](const QString &path, const QString &elsewhere) {
		 putBytes(elsewhere + "/mine.json", plain, 0640);
		 linkTo(path, elsewhere + "/mine.json");
	 },
	 false,
	 "10.0.0.5",
	 {},
	 true,
	 [](const QString &path, const QString &elsewhere) {
		 EXPECT_TRUE(QFileInfo(path).isSymLink()) << "the link stays a link";
		 EXPECT_EQ(QJsonDocument::fromJson(fileBytes(elsewhere + "/mine.json")).object(),
			   (QJsonObject{{"Camera1IP", "10.0.0.5"}, {"hotKey", true}}));
		 EXPECT_EQ(modeOf(elsewhere + "/mine.json"), 0640u);
	 }},
	{"LinkToForeignFile",
	 [](const QString &path, const QString &elsewhere) {
		 putBytes(elsewhere + "/theirs", plain, 0640);
		 linkTo(path, elsewhere + "/theirs");
	 },
	 true,
	 "",
	 {badLink, readFailed, readFailed, readFailed},
	 false,
	 [](const QString &, const QString &elsewhere) {
		 EXPECT_EQ(fileBytes(elsewhere + "/theirs"), plain);
		 EXPECT_EQ(modeOf(elsewhere + "/theirs"), 0640u);
		 EXPECT_EQ(QDir(elsewhere).entryList(QDir::Files | QDir::Hidden), QStringList{"theirs"});
	 }},
	{"DanglingLink",
	 [](const QString &path, const QString &elsewhere) { linkTo(path, elsewhere + "/missing.json"); },
	 false,
	 "",
	 {badLink, readFailed, readFailed, readFailed},
	 false,
	 [](const QString &, const QString &elsewhere) {
		 EXPECT_TRUE(QDir(elsewhere).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "nothing made there";
	 }},
	{"OverSizeCap",
	 [](const QString &path, const QString &) { putBytes(path, fileOfSize(1024 * 1024 + 1), 0600); },
	 false,
	 "",
	 {tooLarge, readFailed, readFailed, readFailed},
	 false,
	 [](const QString &path, const QString &) { EXPECT_EQ(fileBytes(path), fileOfSize(1024 * 1024 + 1)); }},
	{"InvalidUtf8InOneValue",
	 [](const QString &path, const QString &) {
		 putBytes(path, "{\"Camera1IP\": \"10.0.0.5\", \"Camera1NickName\": \"B\xfchne\"}", 0600);
	 },
	 false,
	 "10.0.0.5",
	 {notUtf8, keptBad},
	 true,
	 [](const QString &path, const QString &) {
		 EXPECT_EQ(fileBytes(path + ".bad"),
			   "{\"Camera1IP\": \"10.0.0.5\", \"Camera1NickName\": \"B\xfchne\"}");
		 EXPECT_EQ(modeOf(path + ".bad"), 0600u);
		 EXPECT_EQ(QJsonDocument::fromJson(fileBytes(path)).object(),
			   (QJsonObject{{"Camera1IP", "10.0.0.5"},
					{"Camera1NickName", QString::fromUtf8("B\xef\xbf\xbdhne")},
					{"hotKey", true}}));
	 }},
};

class SettingsHazard : public SettingsFile, public ::testing::WithParamInterface<Hazard> {};

TEST_P(SettingsHazard, IsFollowedOnlyWhereItIsSafe)
{
	const Hazard &h = GetParam();
	const QString elsewhere = tmp.filePath("elsewhere");
	ASSERT_TRUE(QDir().mkpath(elsewhere) && QDir().mkpath(dir));
	h.prepare(path, elsewhere);
	if (h.foreignOwner)
		Utils::setSettingsOwner(::geteuid() + 1);
	PanelSettings settings(dir);
	EXPECT_EQ(settings.slotAddress(1), h.address);
	QSignalSpy failed(&settings, &PanelSettings::writeFailed);
	EXPECT_EQ(settings.setHotKeysEnabled(true), h.written);
	EXPECT_EQ(settings.setHotKeysEnabled(true), h.written);
	EXPECT_EQ(failed.count(), h.written ? 0 : 2);
	if (!failed.isEmpty()) {
		EXPECT_EQ(failed.first().first().toString(), "SettingsNotSaved")
			<< "the locale text's key, no locale loaded";
	}
	EXPECT_EQ(settings.hotKeysEnabled(), h.written);
	EXPECT_EQ(logged, h.log);
	h.check(path, elsewhere);
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsHazard, ::testing::ValuesIn(hazards),
			 [](const ::testing::TestParamInfo<Hazard> &info) { return std::string(info.param.label); });

} // namespace
