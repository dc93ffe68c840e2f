#include "settings/Utils.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

QStringList logLines;

void captureLog(QtMsgType, const QMessageLogContext &, const QString &message)
{
	logLines << message;
}

QByteArray fileBytes(const QString &path)
{
	QFile file(path);
	return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void putBytes(const QString &path, const QByteArray &bytes)
{
	QFile file(path);
	ASSERT_TRUE(file.open(QIODevice::WriteOnly));
	ASSERT_EQ(file.write(bytes), bytes.size());
}

class SettingsFile : public ::testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_TRUE(tmp.isValid());
		dir = tmp.path() + "/settings";
		path = dir + "/BrenmoorOBSPlugin.json";
		logLines.clear();
		previousHandler = qInstallMessageHandler(captureLog);
	}
	void TearDown() override { qInstallMessageHandler(previousHandler); }

	QTemporaryDir tmp;
	QString dir;
	QString path;
	QtMessageHandler previousHandler = nullptr;
};

TEST_F(SettingsFile, FirstReadCreatesDirectoryAndEmptyFile)
{
	QJsonObject object{{"left", "over"}};
	ASSERT_TRUE(Utils::readJsonFile(object, dir + "/deeper/still"));
	EXPECT_TRUE(object.isEmpty());
	EXPECT_TRUE(QFile::exists(dir + "/deeper/still/BrenmoorOBSPlugin.json"));
	EXPECT_TRUE(logLines.isEmpty());
}

TEST_F(SettingsFile, UpdateCycleKeepsUnknownKeysAndWritesIndented)
{
	const QJsonObject first{{"Camera1IP", "10.0.0.5"}, {"someoneElsesKey", "kept"}, {"hotKey", true}};
	ASSERT_TRUE(Utils::writeJsonFile(first, dir));
	EXPECT_TRUE(fileBytes(path).contains("\n    \"someoneElsesKey\": \"kept\""));

	QJsonObject object;
	ASSERT_TRUE(Utils::readJsonFile(object, dir));
	EXPECT_EQ(object, first);
	object["10.0.0.5QK-H57PPanSpeed"] = "3";
	ASSERT_TRUE(Utils::writeJsonFile(object, dir));

	QJsonObject again;
	ASSERT_TRUE(Utils::readJsonFile(again, dir));
	EXPECT_EQ(again.value("someoneElsesKey").toString(), "kept");
	EXPECT_EQ(again.value("10.0.0.5QK-H57PPanSpeed").toString(), "3");
	EXPECT_TRUE(again.value("hotKey").toBool());
	EXPECT_FALSE(QFile::exists(path + ".bad"));
}

// Paths that really fail, even for root.
struct FailingPath {
	const char *name;
	const char *expectedLog;
	// Prepares the failure under base and returns the directory to hand to the helpers.
	QString (*prepare)(const QString &base);
};

QString directoryUnderAFile(const QString &base)
{
	putBytes(base + "/plain-file", "x");
	return base + "/plain-file/settings";
}

QString settingsFileIsADirectory(const QString &base)
{
	QDir(base).mkpath("settings/BrenmoorOBSPlugin.json");
	return base + "/settings";
}

class SettingsFileFailure : public SettingsFile, public ::testing::WithParamInterface<FailingPath> {};

TEST_P(SettingsFileFailure, ReadFailsWithItsMessage)
{
	const QString failing = GetParam().prepare(tmp.path());
	QJsonObject object;
	EXPECT_FALSE(Utils::readJsonFile(object, failing));
	EXPECT_EQ(logLines, QStringList{GetParam().expectedLog});
}

TEST_P(SettingsFileFailure, WriteFailsAndLeavesWhatWasThere)
{
	const QString failing = GetParam().prepare(tmp.path());
	EXPECT_FALSE(Utils::writeJsonFile(QJsonObject{{"a", "b"}}, failing));
	// Whatever stood at the path is still what it was.
	EXPECT_TRUE(QFileInfo(tmp.path() + "/plain-file").isFile() ||
		    QFileInfo(tmp.path() + "/settings/BrenmoorOBSPlugin.json").isDir());
	EXPECT_TRUE(QDir(failing).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
	Paths, SettingsFileFailure,
	::testing::Values(FailingPath{"DirectoryUnderAFile", "It's failed to make a directory.", directoryUnderAFile},
			  FailingPath{"FileIsADirectory", "It's failed to open the file.", settingsFileIsADirectory}),
	[](const ::testing::TestParamInfo<FailingPath> &info) { return std::string(info.param.name); });

struct UnreadableContent {
	const char *name;
	QByteArray bytes;
};

class SettingsFileUnreadable : public SettingsFile, public ::testing::WithParamInterface<UnreadableContent> {};

TEST_P(SettingsFileUnreadable, ReadsEmptyAndIsKeptAsBadBeforeReplaced)
{
	QDir().mkpath(dir);
	putBytes(path, GetParam().bytes);

	QJsonObject object;
	ASSERT_TRUE(Utils::readJsonFile(object, dir));
	EXPECT_TRUE(object.isEmpty());
	EXPECT_EQ(fileBytes(path), GetParam().bytes) << "reading must not change the file";

	object["hotKey"] = true;
	ASSERT_TRUE(Utils::writeJsonFile(object, dir));
	EXPECT_EQ(fileBytes(path + ".bad"), GetParam().bytes);
	EXPECT_EQ(QJsonDocument::fromJson(fileBytes(path)).object(), object);
	EXPECT_EQ(logLines, QStringList{"Kept the unreadable settings file as BrenmoorOBSPlugin.json.bad."});
}

INSTANTIATE_TEST_SUITE_P(Contents, SettingsFileUnreadable,
			 ::testing::Values(UnreadableContent{"Garbage", "{\"Camera1IP\": \"10.0.0.5\", oops"},
					   UnreadableContent{"Array", "[\"Camera1IP\"]"},
					   UnreadableContent{"Number", "42"},
					   UnreadableContent{"Binary", QByteArray("\x00\xff\x01", 3)}),
			 [](const ::testing::TestParamInfo<UnreadableContent> &info) {
				 return std::string(info.param.name);
			 });

// When the unreadable bytes cannot be kept, they are not thrown away either: the write is refused.
TEST_F(SettingsFile, UnreadableFileThatCannotBeKeptIsNotReplaced)
{
	QDir().mkpath(path + ".bad");
	putBytes(path, "garbage");
	EXPECT_FALSE(Utils::writeJsonFile(QJsonObject{{"hotKey", true}}, dir));
	EXPECT_EQ(fileBytes(path), "garbage");
	EXPECT_EQ(logLines, QStringList{"It's failed to open the file."});
}

TEST_F(SettingsFile, EmptyFileIsNotKept)
{
	QJsonObject object;
	ASSERT_TRUE(Utils::readJsonFile(object, dir));
	ASSERT_TRUE(Utils::writeJsonFile(QJsonObject{{"1", "Stage"}}, dir));
	EXPECT_FALSE(QFile::exists(path + ".bad"));
	EXPECT_TRUE(logLines.isEmpty());
}

// A write that runs out of room part-way must leave the previous file whole.
TEST_F(SettingsFile, ShortWriteLeavesPreviousFileWhole)
{
	const QJsonObject previous{{"Camera1IP", "10.0.0.5"}};
	ASSERT_TRUE(Utils::writeJsonFile(previous, dir));
	const QByteArray before = fileBytes(path);

	QJsonObject bigger = previous;
	bigger["Camera1NickName"] = QString(4096, 'n');

	rlimit saved{};
	ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
	rlimit tight = saved;
	tight.rlim_cur = 512;
	auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
	ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
	const bool written = Utils::writeJsonFile(bigger, dir);
	setrlimit(RLIMIT_FSIZE, &saved);
	std::signal(SIGXFSZ, previousSignal);

	EXPECT_FALSE(written);
	EXPECT_EQ(fileBytes(path), before);
	EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"BrenmoorOBSPlugin.json"})
		<< "no temporary file left behind";
}

struct SortCase {
	const char *name;
	QMap<std::string, int> map;
	QList<std::string> expected;
};

class SortedKeys : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortedKeys, AscendingByValue)
{
	EXPECT_EQ(Utils::sortedKeysByValue(GetParam().map), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
	Maps, SortedKeys,
	::testing::Values(
		SortCase{"Empty", {}, {}},
		SortCase{"Shutter", {{"1/10000", 0}, {"1/1", 21}, {"1/725", 7}}, {"1/10000", "1/725", "1/1"}},
		SortCase{"Gains", {{"0dB", 0}, {"12dB", 4}, {"3dB", 1}, {"45dB", 15}}, {"0dB", "3dB", "12dB", "45dB"}},
		SortCase{"Negative", {{"a", 5}, {"b", -3}, {"c", 0}}, {"b", "c", "a"}},
		SortCase{"TiesKeepKeyOrder", {{"b", 1}, {"a", 1}, {"c", 0}}, {"c", "a", "b"}}),
	[](const ::testing::TestParamInfo<SortCase> &info) { return std::string(info.param.name); });

} // namespace

int main(int argc, char **argv)
{
	// Never touch the real user's data folder.
	QStandardPaths::setTestModeEnabled(true);
	::testing::InitGoogleTest(&argc, argv);
	return RUN_ALL_TESTS();
}
