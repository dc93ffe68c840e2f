#include "ViscaFrame.h"

#include <cstring>

namespace {

unsigned at(const unsigned char *frame, size_t size, size_t i)
{
	return i < size ? frame[i] : 0u;
}

} // namespace

void ViscaFrame::writeHeader(unsigned char *out, unsigned payloadType, size_t payloadLength, unsigned sequence)
{
	out[0] = static_cast<unsigned char>(payloadType >> 8);
	out[1] = static_cast<unsigned char>(payloadType);
	out[2] = static_cast<unsigned char>(payloadLength >> 8);
	out[3] = static_cast<unsigned char>(payloadLength);
	putSequence(out + 4, sequence);
}

void ViscaFrame::putSequence(unsigned char *out, unsigned sequence)
{
	out[0] = (sequence >> 12) & 0x0F;
	out[1] = (sequence >> 8) & 0x0F;
	out[2] = (sequence >> 4) & 0x0F;
	out[3] = sequence & 0x0F;
}

unsigned ViscaFrame::payloadType(const unsigned char *frame, size_t size)
{
	return at(frame, size, 0) << 8 | at(frame, size, 1);
}

unsigned ViscaFrame::sequence(const unsigned char *frame, size_t size)
{
	return (at(frame, size, 4) & 0x0F) * 4096u + (at(frame, size, 5) & 0x0F) * 256u +
	       (at(frame, size, 6) & 0x0F) * 16u + (at(frame, size, 7) & 0x0F);
}

bool ViscaFrame::carriesSequence(const unsigned char *frame, size_t size, unsigned sequence)
{
	unsigned char digits[4];
	putSequence(digits, sequence);
	return size >= headerSize && std::memcmp(frame + 4, digits, 4) == 0;
}

bool ViscaFrame::hasHeader(const unsigned char *frame, size_t size)
{
	if (size <= headerSize)
		return false;
	const unsigned type = payloadType(frame, size);
	const bool known = type == command || type == inquiry || type == deviceSetting || type == control;
	return known && (at(frame, size, 2) << 8 | at(frame, size, 3)) == size - headerSize;
}

bool ViscaFrame::isReply(const unsigned char *frame, size_t size, unsigned char replyAddress)
{
	if (size < headerSize + 3)
		return false;
	return frame[0] == 0x01 && size_t((frame[2] << 8) | frame[3]) == size - headerSize &&
	       frame[8] == replyAddress && frame[size - 1] == 0xFF;
}

ViscaFrame::ReplyKind ViscaFrame::messageKind(const unsigned char *visca, size_t size)
{
	switch (at(visca, size, 1) & 0xF0) {
	case 0x40:
		return ReplyKind::Ack;
	case 0x50:
		return ReplyKind::Completion;
	case 0x60:
		return ReplyKind::Error;
	default:
		return ReplyKind::None;
	}
}

ViscaFrame::ReplyKind ViscaFrame::replyKind(const unsigned char *frame, size_t size)
{
	if (size < headerSize + 2)
		return ReplyKind::None;
	return messageKind(frame + headerSize, size - headerSize);
}
