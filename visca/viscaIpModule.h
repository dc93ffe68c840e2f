#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QElapsedTimer;
class QUdpSocket;

// Link to one camera: VISCA over IP on UDP. Every operation blocks until the camera answered or the
// reply wait ran out; a link is used from one thread at a time.
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
	QByteArray sendRawInquiry(QByteArray &reply, const unsigned char *payload, int length);

	// Motion
	bool moveUp();
	bool moveDown();
	bool moveLeft();
	bool moveRight();
	bool moveUpLeft();
	bool moveUpRight();
	bool moveDownLeft();
	bool moveDownRight();
	bool panTiltStop();
	bool panTiltHome();
	void setPanSpeed(int speed);
	void setTiltSpeed(int speed);

	// Zoom and focus
	bool zoomTele();
	bool zoomWide();
	bool zoomStop();
	bool setZoomPosition(int position);
	int getZoomPosition();
	void setZoomSpeed(int speed);
	bool focusNear();
	bool focusFar();
	bool focusStop();
	bool setFocusPosition(int position);
	int getFocusPosition();
	bool setAutoFocus(bool on);
	bool isAutoFocus();
	void setFocusSpeed(int speed);

	// Presets (the number belongs to this link: set it and recall or store in one operation)
	void setPresetNumber(int number);
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
	unsigned int nextSequence();
	unsigned int fillHeader(unsigned char *buffer, unsigned char payloadType, int length);
	qint64 sendPacket(const unsigned char *bytes, int length);
	// One datagram from the camera's address and port within the reply wait, or empty; others are skipped.
	QByteArray readReply(QByteArray &reply);
	// Acknowledgement (90 4y FF) then completion (90 5y FF) carrying the number; an error reply fails at once.
	bool waitCommandDone(unsigned int sequence);
	bool isErrorReply(const QByteArray &reply);
	// The camera's answer (90 50 ... FF, of answerLength VISCA bytes unless 0) carrying the number, or empty.
	QByteArray exchangeInquiry(const unsigned char *packet, int length, unsigned int sequence,
				   int answerLength = 0);

	// Reply decoding: positions count from the start of the datagram; beyond its end they read as 0.
	static int replyDigit(const QByteArray &reply, int position);
	static unsigned int replySequence(const QByteArray &reply);
	// VISCA-over-IP framing of a camera-1 reply: 01 xx, the length of what follows, 90 ... FF.
	static bool isViscaReply(const QByteArray &datagram);
	// Sequence bytes 4 to 7 exactly as the link sent them for this number.
	static bool carriesSequence(const QByteArray &datagram, unsigned int sequence);
	// False when the most recent inquiry got no valid answer; its decoded value is then 0.
	bool lastInquiryAnswered() const { return m_lastInquiryAnswered; }

	// Stored state, for callers that show it and for checks.
	QHostAddress cameraAddress() const { return m_cameraAddress; }
	int cameraPort() const { return m_cameraPort; }
	unsigned int sequenceCounter() const { return m_sequence; }
	int panSpeed() const { return m_panSpeed; }
	int tiltSpeed() const { return m_tiltSpeed; }
	int zoomSpeed() const { return m_zoomSpeed; }
	int focusSpeed() const { return m_focusSpeed; }
	int upRightPanLimit() const { return m_upRightPan; }
	int downLeftPanLimit() const { return m_downLeftPan; }
	int upRightTiltLimit() const { return m_upRightTilt; }
	int downLeftTiltLimit() const { return m_downLeftTilt; }
	int presetNumber() const { return m_presetNumber; }

	static const int replyWaitMs = 350;
	static const int maxPayload = 16;
	static const int maxDiscarded = 4096; // stale datagrams dropped before one send

protected:
	// Full command exchange: new number, up to `attempts` sends, each waiting for both replies.
	bool runCommand(const unsigned char *visca, int length, int attempts = 2);
	// One send of a command packet, one acknowledgement-and-completion wait.
	bool runCommandOnce(const unsigned char *visca, int length);
	// Inquiry exchange with the sequence check; empty when no answer of answerLength VISCA bytes came.
	QByteArray runInquiry(const unsigned char *visca, int length, int answerLength);
	// Inquiry sent once; the first answer of answerLength VISCA bytes from the camera, whatever its number.
	QByteArray runUncheckedInquiry(const unsigned char *visca, int length, int answerLength);
	// One address-set packet and one reply read.
	QByteArray probeAddressSet();
	void setCamera(const QString &ip, int port);

private:
	bool hasDatagram() const;
	// Next datagram from the camera within the wait that timer began; false when the wait ran out.
	bool receiveFromCamera(QByteArray &datagram, const QElapsedTimer &timer);
	bool moveWith(unsigned char panDirection, unsigned char tiltDirection);
	bool sendLimit(unsigned char corner, int pan, int tilt);

	QUdpSocket *m_socket;
	QHostAddress m_cameraAddress;
	int m_cameraPort = 0;
	unsigned int m_sequence = 0;
	int m_panSpeed = 11;
	int m_tiltSpeed = 11;
	int m_zoomSpeed = 2;
	int m_upRightPan = 0;
	int m_downLeftPan = 65535;
	int m_upRightTilt = 0;
	int m_downLeftTilt = 65535;
	int m_focusSpeed = 3;
	bool m_lastInquiryAnswered = false;

	int m_presetNumber = 0;
};
