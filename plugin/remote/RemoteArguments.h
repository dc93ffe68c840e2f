#pragma once

#include "plugin/remote/RemoteRequest.h"

#include <QStringList>

// Reading a request's arguments and turning outcomes into answers, shared by the request tables.
class RemoteArguments {
public:
	explicit RemoteArguments(const QJsonObject &arguments) : m_arguments(arguments) {}

	// The slot the request names with "camera" (1-8), or the selected one when it names none; null with the
	// error ("unknown camera", "no camera selected") otherwise.
	CameraSession *camera(CameraRig &rig, QString &error) const;
	// As camera(), and the camera must be connected ("no address", "camera not answering", "camera connecting").
	CameraSession *connectedCamera(CameraRig &rig, QString &error) const;
	// An integer argument within low..high (a number or its digits as text). Absent: false with no error unless
	// required; present but not such a number: false with "bad argument: NAME".
	bool integer(const char *name, int low, int high, int &value, QString &error, bool required = true) const;
	// A text argument that must be one of choices: its index, or -1 with "bad argument: NAME".
	int choice(const char *name, const QStringList &choices, QString &error) const;

	// An answer from the camera's outcome: ok when completed, the error otherwise.
	static CameraSession::Done answerWhenDone(const Respond &respond, const QJsonObject &data = {});
	static QString outcomeError(CameraSession::Outcome outcome);
	static QString stateName(CameraSession::State state);

private:
	QJsonObject m_arguments;
};
