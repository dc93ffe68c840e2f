#pragma once

#include <QString>

// How far a stick is pushed becomes a camera speed. Inside the dead zone (a share of the throw, so that a stick
// resting off centre drives nothing) the speed is none; right outside it the slowest speed, at full throw the
// fastest, and a response curve in between that keeps the slow end fine for framing on air.
class StickResponse {
public:
	enum class Curve { Linear, Quadratic, Cubic };

	static constexpr double defaultDeadZone = 0.15;
	static constexpr Curve defaultCurve = Curve::Quadratic;

	// An axis reading as a share of the throw, -1..1 (the raw range is -32768..32767).
	static double deflection(int raw);

	// The speed for a deflection (its sign is ignored) over slowest..fastest, or -1 inside the dead zone.
	int speed(double deflection, int slowest, int fastest) const;

	double deadZone() const { return m_deadZone; }
	// Kept within 0..0.9, so that some throw is left to drive.
	void setDeadZone(double share);
	Curve curve() const { return m_curve; }
	void setCurve(Curve curve) { m_curve = curve; }

	// Names in the settings file.
	static QString curveName(Curve curve);
	// Unknown names give the default curve.
	static Curve curveFromName(const QString &name);

private:
	double m_deadZone = defaultDeadZone;
	Curve m_curve = defaultCurve;
};
