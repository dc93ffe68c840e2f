#include "plugin/scenes/ActivationGate.h"

bool ActivationGate::aheadWithin(Clock::time_point now) const
{
	return m_ahead && now - *m_ahead < aheadWindow;
}

bool ActivationGate::activated(Clock::time_point now)
{
	std::lock_guard<std::mutex> lock(m_mutex);
	m_active = true;
	m_leaving = false;
	const bool recalledAhead = aheadWithin(now);
	m_ahead.reset();
	return !recalledAhead;
}

void ActivationGate::deactivated()
{
	std::lock_guard<std::mutex> lock(m_mutex);
	m_active = false;
	m_leaving = false;
	m_ahead.reset();
}

bool ActivationGate::sceneChanged(bool activeInObs, Clock::time_point now)
{
	std::lock_guard<std::mutex> lock(m_mutex);
	if (!activeInObs) {
		m_leaving = m_active;
		if (!m_active)
			m_ahead.reset(); // gone before OBS's frame: the activation recalled ahead never comes
		return false;
	}
	if ((m_active && !m_leaving) || aheadWithin(now))
		return false;
	m_leaving = false;
	m_ahead = now;
	return true;
}
