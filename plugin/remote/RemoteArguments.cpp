#include "plugin/remote/RemoteArguments.h"

#include "control/CameraRig.h"

#include <cmath>

RemoteReply RemoteReply::success(const QJsonObject &data)
{
	return {true, QString(), data};
}

RemoteReply RemoteReply::failure(const QString &error, const QJsonObject &data)
{
	return {false, error, data};
}

QJsonObject RemoteReply::toJson() const
{
	QJsonObject out = data;
	out.insert(QStringLiteral("ok"), ok);
	if (!ok)
		out.insert(QStringLiteral("error"), error);
	return out;
}

bool RemoteArguments::integer(const char *name, int low, int high, int &value, QString &error, bool required) const
{
	const QJsonValue given = m_arguments.value(QLatin1String(name));
	if (given.isUndefined() || given.isNull()) {
		if (required)
			error = QStringLiteral("bad argument: %1 (missing)").arg(QLatin1String(name));
		return false;
	}
	bool ok = false;
	double number = 0;
	if (given.isDouble()) {
		number = given.toDouble();
		ok = true;
	} else if (given.isString()) {
		number = given.toString().trimmed().toInt(&ok);
	}
	if (!ok || std::floor(number) != number || number < low || number > high) {
		error = QStringLiteral("bad argument: %1 (a whole number %2 to %3)")
				.arg(QLatin1String(name))
				.arg(low)
				.arg(high);
		return false;
	}
	value = static_cast<int>(number);
	return true;
}

int RemoteArguments::choice(const char *name, const QStringList &choices, QString &error) const
{
	const int index = choices.indexOf(m_arguments.value(QLatin1String(name)).toString());
	if (index < 0)
		error = QStringLiteral("bad argument: %1 (one of %2)")
				.arg(QLatin1String(name), choices.join(QStringLiteral(", ")));
	return index;
}

CameraSession *RemoteArguments::camera(CameraRig &rig, QString &error) const
{
	if (!m_arguments.contains(QStringLiteral("camera"))) {
		if (rig.selected() == nullptr)
			error = QStringLiteral("no camera selected");
		return rig.selected();
	}
	int slot = 0;
	if (!integer("camera", 1, CameraRig::slotCount, slot, error)) {
		error = QStringLiteral("unknown camera");
		return nullptr;
	}
	return rig.session(slot);
}

CameraSession *RemoteArguments::connectedCamera(CameraRig &rig, QString &error) const
{
	CameraSession *session = camera(rig, error);
	if (session == nullptr)
		return nullptr;
	switch (session->state()) {
	case CameraSession::State::Connected:
		return session;
	case CameraSession::State::NoAddress:
		error = QStringLiteral("no address");
		break;
	case CameraSession::State::NotAnswering:
		error = QStringLiteral("camera not answering");
		break;
	case CameraSession::State::Connecting:
		error = QStringLiteral("camera connecting");
		break;
	}
	return nullptr;
}

QString RemoteArguments::outcomeError(CameraSession::Outcome outcome)
{
	switch (outcome) {
	case CameraSession::Outcome::Completed:
		break;
	case CameraSession::Outcome::Failed:
		return QStringLiteral("camera did not complete the command");
	case CameraSession::Outcome::Dropped:
		return QStringLiteral("command not sent: a newer one for the camera replaced it");
	}
	return QString();
}

CameraSession::Done RemoteArguments::answerWhenDone(const Respond &respond, const QJsonObject &data)
{
	return [respond, data](CameraSession::Outcome outcome) {
		respond(outcome == CameraSession::Outcome::Completed
				? RemoteReply::success(data)
				: RemoteReply::failure(outcomeError(outcome), data));
	};
}

QString RemoteArguments::stateName(CameraSession::State state)
{
	switch (state) {
	case CameraSession::State::Connected:
		return QStringLiteral("connected");
	case CameraSession::State::Connecting:
		return QStringLiteral("connecting");
	case CameraSession::State::NotAnswering:
		return QStringLiteral("not_answering");
	case CameraSession::State::NoAddress:
		break;
	}
	return QStringLiteral("no_address");
}
