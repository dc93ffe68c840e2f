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
		logLines.clear();
		previousHandler = qInstallMessageHandler(captureLog);
	}
	void TearDown() override { qInstallMessageHandler(previousHandler); }

	QTemporaryDir tmp;
	const QString dir = tmp.path() + "/deeper/settings";
	const QString path = dir + "/BrenmoorOBSPlugin.json";
	QtMessageHandler previousHandler = nullptr;
};

// The first read makes the missing directories and an empty file; an empty file is not kept as ".bad".
TEST_F(SettingsFile, RoundTripFromAMissingDirectoryKeepsUnknownKeys)
{
	QJsonObject object{{"left", "over"}};
	ASSERT_TRUE(Utils::readJsonFile(object, dir));
	EXPECT_TRUE(object.isEmpty());
	EXPECT_EQ(fileBytes(path), "");

	const QJsonObject first{{"Camera1IP", "10.0.0.5"}, {"someoneElsesKey", "kept"}, {"hotKey", true}};
	ASSERT_TRUE(Utils::writeJsonFile(first, dir));
	EXPECT_TRUE(fileBytes(path).contains("\n    \"someoneElsesKey\": \"kept\""));
	ASSERT_TRUE(Utils::readJsonFile(object, dir));
	EXPECT_EQ(object, first);
	object["10.0.0.5QK-H57PPanSpeed"] = "3";
	ASSERT_TRUE(Utils::writeJsonFile(object, dir));
	QJsonObject again;
	ASSERT_TRUE(Utils::readJsonFile(again, dir));
	EXPECT_EQ(again, object);
	EXPECT_FALSE(QFile::exists(path + ".bad"));
	EXPECT_TRUE(logLines.isEmpty());
}

// Paths that really fail, even for root: the settings directory under a plain file, and a directory in place
// of the settings file.
struct FailingPath {
	const char *name;
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
	EXPECT_EQ(logLines, QStringList{GetParam().expectedLog});
	EXPECT_FALSE(Utils::writeJsonFile(QJsonObject{{"a", "b"}}, failing));
	EXPECT_TRUE(isFile ? QFileInfo(blocker).isFile() : QFileInfo(blocker).isDir());
	EXPECT_TRUE(QDir(failing).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Paths, SettingsFileFailure,
			 ::testing::Values(FailingPath{"DirectoryUnderAFile", "plain-file", "plain-file/settings",
						       "It's failed to make a directory."},
					   FailingPath{"FileIsADirectory", "settings/BrenmoorOBSPlugin.json",
						       "settings", "It's failed to open the file."}),
			 [](const ::testing::TestParamInfo<FailingPath> &info) {
				 return std::string(info.param.name);
			 });

class SettingsFileUnreadable : public SettingsFile, public ::testing::WithParamInterface<QByteArray> {};

TEST_P(SettingsFileUnreadable, ReadsEmptyAndIsKeptAsBadBeforeReplaced)
{
	putBytes(path, GetParam());
	QJsonObject object;
	ASSERT_TRUE(Utils::readJsonFile(object, dir));
	EXPECT_TRUE(object.isEmpty());
	EXPECT_EQ(fileBytes(path), GetParam()) << "reading must not change the file";

	object["hotKey"] = true;
	ASSERT_TRUE(Utils::writeJsonFile(object, dir));
	EXPECT_EQ(fileBytes(path + ".bad"), GetParam());
	EXPECT_EQ(QJsonDocument::fromJson(fileBytes(path)).object(), object);
	EXPECT_EQ(logLines, QStringList{"Kept the unreadable settings file as BrenmoorOBSPlugin.json.bad."});
}

INSTANTIATE_TEST_SUITE_P(Contents, SettingsFileUnreadable,
			 ::testing::Values("{\"Camera1IP\": \"10.0.0.5\", oops", "[\"Camera1IP\"]", "42",
					   QByteArray("\x00\xff\x01", 3)));

// When the unreadable bytes cannot be kept, they are not thrown away either: the write is refused.
TEST_F(SettingsFile, UnreadableFileThatCannotBeKeptIsNotReplaced)
{
	QDir().mkpath(path + ".bad");
	putBytes(path, "garbage");
	EXPECT_FALSE(Utils::writeJsonFile(QJsonObject{{"hotKey", true}}, dir));
	EXPECT_EQ(fileBytes(path), "garbage");
	EXPECT_EQ(logLines, QStringList{"It's failed to open the file."});
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

TEST(SortedKeys, AscendingByValueTiesInKeyOrder)
{
	EXPECT_EQ(Utils::sortedKeysByValue({}), QList<std::string>{});
	EXPECT_EQ(Utils::sortedKeysByValue({{"0dB", 0}, {"12dB", 4}, {"3dB", 1}, {"45dB", 15}}),
		  (QList<std::string>{"0dB", "3dB", "12dB", "45dB"}));
	EXPECT_EQ(Utils::sortedKeysByValue({{"b", 1}, {"a", 1}, {"c", -3}}), (QList<std::string>{"c", "a", "b"}));
}

} // namespace

int main(int argc, char **argv)
{
	// Never touch the real user's data folder.
	QStandardPaths::setTestModeEnabled(true);
	::testing::InitGoogleTest(&argc, argv);
	return RUN_ALL_TESTS();
}
