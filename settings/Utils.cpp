#include "settings/Utils.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QtDebug>

#include <algorithm>
#include <cerrno>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char settingsFileName[] = "BrenmoorOBSPlugin.json";
const char keptFileSuffix[] = ".bad";
const int maxKeptFiles = 1000;
const mode_t firstFileMode = 0600;

const char openFailedText[] = "It's failed to open the file.";
const char notRegularText[] = "The settings file is not a regular file; it is left as it is.";
const char notWritableText[] = "The settings file is read-only or not a regular file; it is left as it is.";
const char badLinkText[] = "The settings file is a link to something other than a regular file of this user; "
			   "it is left as it is.";
const char tooLargeText[] = "The settings file is larger than 1 MiB; it is not read and left as it is.";
const char notUtf8Text[] = "The settings file holds bytes that are not UTF-8; they read as U+FFFD, and the file is "
			   "kept as .bad before it is next written.";

std::mutex guard; // the sink, the owner and the notices
Utils::LogSink logSink;
uint owner = static_cast<uint>(::geteuid());
// Per settings file, the problems already logged: a refused link or an oversized file is said once, not at every
// read, until the file reads cleanly again.
QHash<QString, QSet<QString>> notices;

void logOnce(const QString &path, const char *text)
{
	{
		const std::lock_guard<std::mutex> lock(guard);
		QSet<QString> &said = notices[path];
		if (said.contains(QLatin1String(text)))
			return;
		said.insert(QLatin1String(text));
	}
	Utils::log(QString::fromLatin1(text));
}

void forgetNotices(const QString &path)
{
	const std::lock_guard<std::mutex> lock(guard);
	notices.remove(path);
}

uint currentOwner()
{
	const std::lock_guard<std::mutex> lock(guard);
	return owner;
}

QString settingsFilePath(const QString &dir)
{
	return dir + "/" + settingsFileName;
}

bool ensureDirectory(const QString &dir)
{
	QDir directory(dir);
	if (directory.exists())
		return true;
	if (directory.mkpath(".") && directory.exists())
		return true;
	Utils::log(QStringLiteral("It's failed to make a directory."));
	return false;
}

bool holdsUnreadableContent(const QByteArray &bytes)
{
	if (bytes.trimmed().isEmpty())
		return false;
	return !QJsonDocument::fromJson(bytes).isObject();
}

// The whole of bytes as text, bad sequences as U+FFFD (Qt 5's QByteArray overload would stop at a zero byte).
QString asText(const QByteArray &bytes)
{
	return QString::fromUtf8(bytes.constData(), bytes.size());
}

bool isUtf8(const QByteArray &bytes)
{
	return asText(bytes).toUtf8() == bytes;
}

enum class FileState { Fine, Missing, NotRegular, NotOpened, BadLink, TooLarge, ReadOnly };

// Opens the file read-only and without blocking (a FIFO or device in its place is refused before anything is
// read). A link is followed only to a regular file of the settings owner; O_NOFOLLOW tells a link from a file
// without a window in which one could be swapped for the other.
FileState openChecked(const QString &path, int &fd)
{
	const QByteArray native = QFile::encodeName(path);
	bool viaLink = false;
	fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
	if (fd < 0 && errno == ELOOP) {
		viaLink = true;
		fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
	}
	if (fd < 0)
		return viaLink ? FileState::BadLink : errno == ENOENT ? FileState::Missing : FileState::NotOpened;
	struct stat status {};
	FileState state = FileState::Fine;
	if (::fstat(fd, &status) != 0)
		state = FileState::NotOpened;
	else if (!S_ISREG(status.st_mode))
		state = viaLink ? FileState::BadLink : FileState::NotRegular;
	else if (viaLink && status.st_uid != currentOwner())
		state = FileState::BadLink;
	else if (status.st_size > Utils::maxSettingsFileSize)
		state = FileState::TooLarge;
	if (state != FileState::Fine)
		::close(fd);
	return state;
}

FileState readChecked(const QString &path, QByteArray &bytes)
{
	int fd = -1;
	const FileState state = openChecked(path, fd);
	if (state != FileState::Fine)
		return state;
	QFile file;
	if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
		::close(fd);
		return FileState::NotOpened;
	}
	// A file that grows while it is read is still held to the cap.
	bytes = file.read(Utils::maxSettingsFileSize + 1);
	return bytes.size() > Utils::maxSettingsFileSize ? FileState::TooLarge : FileState::Fine;
}

// What a write may replace, and the permission bits that the new file keeps: those of the file it replaces
// (through a link, of the link's target), 0600 for a first file.
FileState inspectForWrite(const QString &path, mode_t &mode)
{
	const QByteArray native = QFile::encodeName(path);
	struct stat status {};
	if (::lstat(native.constData(), &status) != 0) {
		mode = firstFileMode;
		return errno == ENOENT ? FileState::Missing : FileState::NotOpened;
	}
	if (S_ISLNK(status.st_mode)) {
		if (::stat(native.constData(), &status) != 0 || !S_ISREG(status.st_mode) ||
		    status.st_uid != currentOwner())
			return FileState::BadLink;
	} else if (!S_ISREG(status.st_mode)) {
		return FileState::NotRegular;
	}
	if (!(status.st_mode & S_IWUSR))
		return FileState::ReadOnly;
	if (status.st_size > Utils::maxSettingsFileSize)
		return FileState::TooLarge;
	mode = status.st_mode & 0777;
	return FileState::Fine;
}

enum class WriteResult { Written, NotOpened, NotWritten };

// Writes bytes to path whole or not at all: QSaveFile writes beside the file (beside a link's target) and renames
// it into place on commit. The permission bits are set before any byte is written. Unbuffered, so a short write
// shows here; buffered, Qt 5.15 can commit a file that its final flush cut short.
WriteResult writeWhole(const QString &path, const QByteArray &bytes, mode_t mode)
{
	QSaveFile file(path);
	if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
		return WriteResult::NotOpened;
	if (::fchmod(file.handle(), mode) != 0 || file.write(bytes) != bytes.size()) {
		file.cancelWriting();
		file.commit();
		return WriteResult::NotWritten;
	}
	return file.commit() ? WriteResult::Written : WriteResult::NotWritten;
}

// A file that is not a JSON object, or not UTF-8, may be someone's hand edit gone wrong: keep its bytes beside
// it, each under a name of its own and with the file's own permission bits, instead of letting the next write
// throw them away. False when they could not be kept (or not even read).
bool keepUnreadableFile(const QString &path, mode_t mode)
{
	QByteArray bytes;
	const FileState state = readChecked(path, bytes);
	if (state == FileState::Missing)
		return true;
	if (state != FileState::Fine)
		return false;
	if (!holdsUnreadableContent(bytes))
		return true;
	for (int n = 1; n <= maxKeptFiles; n++) {
		const QString name = QString::fromLatin1(settingsFileName) +
				     (n == 1 ? QString() : QStringLiteral(".%1").arg(n)) + keptFileSuffix;
		const QString keptPath = QFileInfo(path).dir().filePath(name);
		if (QFileInfo::exists(keptPath) || QFileInfo(keptPath).isSymLink())
			continue;
		if (writeWhole(keptPath, bytes, mode) != WriteResult::Written)
			return false;
		Utils::log(QStringLiteral("Kept the unreadable settings file as %1.").arg(name));
		return true;
	}
	return false;
}

// Temporary files that an interrupted write left beside the settings file: its name, a dot and six letters
// or digits.
void removeStaleTemporaryFiles(const QString &dir)
{
	static const QRegularExpression temporary(
		QStringLiteral("\\A%1\\.[A-Za-z0-9]{6}\\z").arg(QRegularExpression::escape(settingsFileName)));
	QDir directory(dir);
	for (const QString &name : directory.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
		if (temporary.match(name).hasMatch())
			directory.remove(name);
	}
}

// The refusals that both helpers share; false when state allows going on.
bool refused(FileState state, const QString &path)
{
	switch (state) {
	case FileState::BadLink:
		logOnce(path, badLinkText);
		return true;
	case FileState::TooLarge:
		logOnce(path, tooLargeText);
		return true;
	case FileState::NotOpened:
		Utils::log(QString::fromLatin1(openFailedText));
		return true;
	default:
		return false;
	}
}

} // namespace

QString Utils::settingsDirectory()
{
	return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

bool Utils::readJsonFile(QJsonObject &object, QString dir)
{
	const QString path = settingsFilePath(dir);
	if (!ensureDirectory(dir))
		return false;

	QByteArray bytes;
	const FileState state = readChecked(path, bytes);
	if (state == FileState::NotRegular) {
		log(QString::fromLatin1(notRegularText));
		return false;
	}
	if (refused(state, path))
		return false;

	QJsonParseError error{};
	QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
	bool clean = true;
	if (error.error != QJsonParseError::NoError && !isUtf8(bytes)) {
		// Qt refuses the whole document for one bad byte: read it with the bad bytes replaced instead.
		const QJsonDocument repaired = QJsonDocument::fromJson(asText(bytes).toUtf8());
		if (repaired.isObject()) {
			logOnce(path, notUtf8Text);
			document = repaired;
			clean = false;
		}
	}
	if (clean)
		forgetNotices(path);
	object = document.object();
	return true;
}

bool Utils::writeJsonFile(const QJsonObject &object, QString dir)
{
	const QString path = settingsFilePath(dir);
	if (!ensureDirectory(dir))
		return false;

	const QByteArray bytes = QJsonDocument(object).toJson();
	if (bytes.size() > maxSettingsFileSize) {
		log(QStringLiteral("The settings would be larger than 1 MiB; they are not written."));
		return false;
	}
	// An operator's locked file, a FIFO or device in its place, a link to what is not the user's own and an
	// oversized file are never replaced.
	mode_t mode = firstFileMode;
	const FileState state = inspectForWrite(path, mode);
	if (state == FileState::NotRegular || state == FileState::ReadOnly) {
		log(QString::fromLatin1(notWritableText));
		return false;
	}
	if (refused(state, path))
		return false;
	removeStaleTemporaryFiles(dir);
	if (!keepUnreadableFile(path, mode)) {
		log(QString::fromLatin1(openFailedText));
		return false;
	}

	switch (writeWhole(path, bytes, mode)) {
	case WriteResult::Written:
		return true;
	case WriteResult::NotOpened:
		log(QString::fromLatin1(openFailedText));
		return false;
	default:
		return false;
	}
}

void Utils::setLogSink(LogSink sink)
{
	const std::lock_guard<std::mutex> lock(guard);
	logSink = std::move(sink);
}

void Utils::log(const QString &line)
{
	LogSink sink;
	{
		const std::lock_guard<std::mutex> lock(guard);
		sink = logSink;
	}
	if (sink)
		sink(line);
	else
		qDebug("%s", qUtf8Printable(line));
}

uint Utils::settingsOwner()
{
	return currentOwner();
}

void Utils::setSettingsOwner(uint uid)
{
	const std::lock_guard<std::mutex> lock(guard);
	owner = uid;
}

QList<std::string> Utils::sortedKeysByValue(const QMap<std::string, int> &map)
{
	QList<std::string> keys = map.keys();
	// Stable, so keys with equal values keep their own order.
	std::stable_sort(keys.begin(), keys.end(),
			 [&map](const std::string &a, const std::string &b) { return map.value(a) < map.value(b); });
	return keys;
}
