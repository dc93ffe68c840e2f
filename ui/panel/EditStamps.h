#pragma once

#include <QHash>

// Counts the operator's changes per control, so that a value read back from the camera never overwrites a
// control the operator changed again after the read was asked for.
class EditStamps {
public:
	quint64 stamp(const void *control) const { return m_stamps.value(control); }
	void touch(const void *control) { ++m_stamps[control]; }

private:
	QHash<const void *, quint64> m_stamps;
};
