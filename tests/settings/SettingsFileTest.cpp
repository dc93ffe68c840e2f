#include "settings/Utils.h"

#include "LinkTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QStringList>
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

QByteArray fileBytes(const QString &path)
{
	QFile file(path);
	return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void putBytes(const QString &path, const QByteArray &bytes)
{
	QDir().mkpath(QFileInfo(path).path());
	QFile file(path);
	ASSERT_TRUE(file.open(QIODevice::WriteOnly));
	ASSERT_EQ(file.write(bytes), bytes.size());
}

class SettingsFile : public ::testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_TRUE(tmp.isValid());
		QStandardPaths::setTestModeEnabled(true); // never the real user's data folder
		logged.clear();
	}

	QTemporaryDir tmp;
	const QString dir = tmp.path() + "/deeper/settings";
	const QString path = dir + "/BrenmoorOBSPlugin.json";
};

// The first read makes the missing directories but no file; the first write removes what interrupted writes
// left (the file's name, a dot and six letters or digits) and nothing else.
TEST_F(SettingsFile, RoundTripFromAMissingDirectoryKeepsUnknownKeys)
{
	QJsonObject object{{"left", "over"}};
	ASSERT_TRUE(Utils::readJsonFile(object, dir));
	EXPECT_TRUE(object.isEmpty());
	EXPECT_TRUE(QDir(dir).exists());
	EXPECT_FALSE(QFile::exists(path));

	putBytes(path + ".aB3dE9", "{");
	putBytes(path + ".notes", "mine");
	const QJsonObject first{{"Camera1IP", "10.0.0.5"}, {"someoneElsesKey", "kept"}, {"hotKey", true}};
	ASSERT_TRUE(Utils::writeJsonFile(first, dir));
	EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden),
		  (QStringList{"BrenmoorOBSPlugin.json", "BrenmoorOBSPlugin.json.notes"}));
	ASSERT_TRUE(Utils::readJsonFile(object, dir));
	EXPECT_EQ(object, first);
	EXPECT_TRUE(logged.isEmpty());
}

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

// Each unreadable file is kept under a name of its own: a second one does not overwrite the first copy.
TEST_P(SettingsFileUnreadable, ReadsEmptyAndIsKeptAsBadBeforeReplaced)
{
	for (const char *copy : {".bad", ".2.bad"}) {
		putBytes(path, GetParam() + copy);
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

} // namespace
