#pragma once

#include <cstddef>

// The 8-byte VISCA-over-IP header shared by the camera link and the bridge: payload type (2 bytes), payload
// length (2 bytes) and a 16-bit sequence number carried one hexadecimal digit per byte (0x1234 as 01 02 03 04).
// Positions beyond the end of a datagram read as 0.
class ViscaFrame {
public:
	static constexpr size_t headerSize = 8;

	// Payload types (bytes 0 and 1).
	static constexpr unsigned command = 0x0100;
	static constexpr unsigned inquiry = 0x0110;
	static constexpr unsigned reply = 0x0111;
	static constexpr unsigned deviceSetting = 0x0120;
	static constexpr unsigned control = 0x0200;
	static constexpr unsigned controlReply = 0x0201;

	// Second byte of a VISCA reply: acknowledgement 4y, completion or inquiry answer 5y, error 6y.
	enum class ReplyKind { None, Ack, Completion, Error };

	// Writes bytes 0 to 7.
	static void writeHeader(unsigned char *out, unsigned payloadType, size_t payloadLength, unsigned sequence);
	static void putSequence(unsigned char *out, unsigned sequence);

	static unsigned payloadType(const unsigned char *frame, size_t size);
	// The sequence number from the low digit of bytes 4 to 7.
	static unsigned sequence(const unsigned char *frame, size_t size);
	// Bytes 4 to 7 exactly as they are sent for this number.
	static bool carriesSequence(const unsigned char *frame, size_t size, unsigned sequence);

	// A request header: command, inquiry, device setting or control type, and a length field that matches what
	// follows the header.
	static bool hasHeader(const unsigned char *frame, size_t size);
	// A VISCA-over-IP reply from the camera whose reply address is given (90 for camera 1): 01 xx, the length of
	// what follows, address ... FF.
	static bool isReply(const unsigned char *frame, size_t size, unsigned char replyAddress = 0x90);

	// Kind of a bare VISCA message (its byte 1) and of the VISCA message behind a header (byte 9).
	static ReplyKind messageKind(const unsigned char *visca, size_t size);
	static ReplyKind replyKind(const unsigned char *frame, size_t size);
};
