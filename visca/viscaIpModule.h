#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include "ViscaTransport.h"

// Link to one camera: its command set over a VISCA-over-IP transport. Every operation blocks until the camera
// answered or the reply wait ran out; a link is used from one thread at a time.
class viscaIpModule : public QObject {
	Q_OBJECT

public:
	explicit viscaIpModule(QObject *parent = nullptr);
	~viscaIpModule() override;

	// Overridable per camera family, in this order.
	virtual bool connectCamera(const QString &ip, int port);
	virtual bool isCameraAlive();
	virtual bool setHue(int value);
	virtual int getHue();
	virtual bool setSaturation(int value);
	virtual int getSaturation();
	virtual bool setSharpness(int value);
	virtual int getSharpness();
	virtual bool setPresetSpeed(int speed);

	// Sends caller-made inquiry bytes (at most 16) and hands back the first datagram, header included.
	QByteArray sendRawInquiry(QByteArray &reply, const unsigned char *payload, int length)
	{
		return m_transport.sendRawInquiry(reply, payload, length);
	}

	// Motion
	bool moveUp() { return moveWith(0x03, 0x01); }
	bool moveDown() { return moveWith(0x03, 0x02); }
	bool moveLeft() { return moveWith(0x01, 0x03); }
	bool moveRight() { return moveWith(0x02, 0x03); }
	bool moveUpLeft() { return moveWith(0x01, 0x01); }
	bool moveUpRight() { return moveWith(0x02, 0x01); }
	bool moveDownLeft() { return moveWith(0x01, 0x02); }
	bool moveDownRight() { return moveWith(0x02, 0x02); }
	bool panTiltStop() { return moveWith(0x03, 0x03); }
	bool panTiltHome();
	void setPanSpeed(int speed) { m_panSpeed = speed; }
	void setTiltSpeed(int speed) { m_tiltSpeed = speed; }

	// Zoom and focus
	bool zoomTele();
	bool zoomWide();
	bool zoomStop();
	bool setZoomPosition(int position);
	int getZoomPosition();
	void setZoomSpeed(int speed) { m_zoomSpeed = speed; }
	bool focusNear();
	bool focusFar();
	bool focusStop();
	bool setFocusPosition(int position);
	int getFocusPosition();
	bool setAutoFocus(bool on);
	bool isAutoFocus();
	void setFocusSpeed(int speed) { m_focusSpeed = speed; }

	// Presets (the number belongs to this link: set it and recall or store in one operation)
	void setPresetNumber(int number) { m_presetNumber = number; }
	bool recallPreset();
	bool storePreset();

	// Exposure, white balance and picture
	bool setExposureMode(int value);
	int getExposureMode();
	bool setShutter(int value);
	int getShutter();
	bool setIris(int value);
	int getIris();
	bool setGain(int value);
	int getGain();
	bool setWhiteBalanceMode(int value);
	int getWhiteBalanceMode();
	bool whiteBalanceOnePush();
	bool setRedGain(int value);
	int getRedGain();
	bool setBlueGain(int value);
	int getBlueGain();
	bool setGamma(int value);
	int getGamma();
	bool setImageMode(int value);
	int getImageMode();
	bool setMirror(int value);
	bool setFlip(int value);
	bool setMirrorFlip(int mode);
	int getMirrorFlip();

	// Pan/tilt limits; left and down degrees are zero or negative.
	void setPanLeftLimit(int degrees, unsigned int highBound, unsigned int lowBound);
	void setTiltDownLimit(int degrees, unsigned int highBound, unsigned int lowBound);
	void setPanRightLimit(int degrees, unsigned int highBound, unsigned int lowBound);
	void setTiltUpLimit(int degrees, unsigned int highBound, unsigned int lowBound);
	bool clearDownLeftLimit();
	bool clearUpRightLimit();
	bool setSpeedCompensation(int value);

	// Transport building blocks
	unsigned int nextSequence() { return m_transport.nextSequence(); }
	unsigned int fillHeader(unsigned char *buffer, unsigned char payloadType, int length)
	{
		return m_transport.fillHeader(buffer, payloadType, length);
	}
	qint64 sendPacket(const unsigned char *bytes, int length) { return m_transport.sendPacket(bytes, length); }
	QByteArray readReply(QByteArray &reply) { return m_transport.readReply(reply); }
	bool waitCommandDone(unsigned int sequence) { return m_transport.waitCommandDone(sequence); }
	bool isErrorReply(const QByteArray &reply) { return m_transport.isErrorReply(reply); }
	QByteArray exchangeInquiry(const unsigned char *packet, int length, unsigned int sequence, int answerLength = 0)
	{
		return m_transport.exchangeInquiry(packet, length, sequence, answerLength);
	}

	static int replyDigit(const QByteArray &reply, int position)
	{
		return ViscaTransport::replyDigit(reply, position);
	}
	static unsigned int replySequence(const QByteArray &reply) { return ViscaTransport::replySequence(reply); }
	static bool isViscaReply(const QByteArray &datagram) { return ViscaTransport::isViscaReply(datagram); }
	static bool carriesSequence(const QByteArray &datagram, unsigned int sequence)
	{
		return ViscaTransport::carriesSequence(datagram, sequence);
	}
	// False when the most recent inquiry got no valid answer; its decoded value is then 0.
	bool lastInquiryAnswered() const { return m_transport.lastInquiryAnswered(); }

	// Stored state, for callers that show it and for checks.
	QHostAddress cameraAddress() const { return m_transport.cameraAddress(); }
	int cameraPort() const { return m_transport.cameraPort(); }
	unsigned int sequenceCounter() const { return m_transport.sequenceCounter(); }
	int panSpeed() const { return m_panSpeed; }
	int tiltSpeed() const { return m_tiltSpeed; }
	int zoomSpeed() const { return m_zoomSpeed; }
	int focusSpeed() const { return m_focusSpeed; }
	int upRightPanLimit() const { return m_upRightPan; }
	int downLeftPanLimit() const { return m_downLeftPan; }
	int upRightTiltLimit() const { return m_upRightTilt; }
	int downLeftTiltLimit() const { return m_downLeftTilt; }
	int presetNumber() const { return m_presetNumber; }

	static const int replyWaitMs = ViscaTransport::replyWaitMs;
	static const int maxPayload = ViscaTransport::maxPayload;
	static const int maxDiscarded = ViscaTransport::maxDiscarded;

protected:
	bool runCommand(const unsigned char *visca, int length, int attempts = 2)
	{
		return m_transport.runCommand(visca, length, attempts);
	}
	// One send of a command packet, one acknowledgement-and-completion wait.
	bool runCommandOnce(const unsigned char *visca, int length) { return m_transport.runCommand(visca, length, 1); }
	QByteArray runInquiry(const unsigned char *visca, int length, int answerLength)
	{
		return m_transport.runInquiry(visca, length, answerLength);
	}
	QByteArray runUncheckedInquiry(const unsigned char *visca, int length, int answerLength)
	{
		return m_transport.runUncheckedInquiry(visca, length, answerLength);
	}
	QByteArray probeAddressSet() { return m_transport.probeAddressSet(); }
	void setCamera(const QString &ip, int port) { m_transport.setCamera(ip, port); }

private:
	bool moveWith(unsigned char panDirection, unsigned char tiltDirection);
	bool sendLimit(unsigned char corner, int pan, int tilt);
	// Shared shapes of the picture settings (code: the fourth VISCA byte).
	bool setByte(unsigned char code, int value);      // 81 01 04 cc vv FF
	bool setLowByte(unsigned char code, int value);   // 81 01 04 cc 00 00 00 vv FF
	bool setDigitPair(unsigned char code, int value); // 81 01 04 cc 00 00 0p 0q FF
	// The digit at position of the answer to 81 09 04 cc FF of answerLength VISCA bytes.
	int inquireDigit(unsigned char code, int answerLength, int position);
	// Digits 12 and 13 of the long answer to 81 09 04 cc FF, high first.
	int inquireDigitPair(unsigned char code);
	// Digits 10 to 13 of the long answer to 81 09 04 cc FF, most significant first (a position).
	int inquireFourDigits(unsigned char code);

	ViscaTransport m_transport;
	int m_panSpeed = 11;
	int m_tiltSpeed = 11;
	int m_zoomSpeed = 2;
	int m_upRightPan = 0;
	int m_downLeftPan = 65535;
	int m_upRightTilt = 0;
	int m_downLeftTilt = 65535;
	int m_focusSpeed = 3;

	int m_presetNumber = 0;
};
