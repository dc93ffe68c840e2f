#pragma once

#include <QByteArray>

#include <initializer_list>

// Small helpers for reading and writing VISCA messages as byte arrays (the simulator's side).
namespace ViscaBytes {

inline QByteArray bytes(std::initializer_list<int> list)
{
	QByteArray out;
	for (int b : list)
		out.append(static_cast<char>(b));
	return out;
}

// The byte at i, or 0 past the end.
inline int at(const QByteArray &a, int i)
{
	return i < a.size() ? static_cast<unsigned char>(a.at(i)) : 0;
}

inline bool startsWith(const QByteArray &visca, std::initializer_list<int> prefix)
{
	return visca.startsWith(bytes(prefix));
}

} // namespace ViscaBytes
