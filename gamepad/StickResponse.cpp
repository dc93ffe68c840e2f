#include "gamepad/StickResponse.h"

#include <algorithm>
#include <cmath>

double StickResponse::deflection(int raw)
{
	return std::clamp(raw / 32767.0, -1.0, 1.0);
}

void StickResponse::setDeadZone(double share)
{
	m_deadZone = std::clamp(share, 0.0, 0.9);
}

int StickResponse::speed(double deflection, int slowest, int fastest) const
{
	const double push = std::min(std::fabs(deflection), 1.0);
	if (push <= m_deadZone || fastest < slowest)
		return -1;
	const double beyond = (push - m_deadZone) / (1.0 - m_deadZone);
	const double shaped = m_curve == Curve::Linear  ? beyond
			      : m_curve == Curve::Cubic ? beyond * beyond * beyond
							: beyond * beyond;
	return slowest + static_cast<int>(std::lround(shaped * (fastest - slowest)));
}

QString StickResponse::curveName(Curve curve)
{
	switch (curve) {
	case Curve::Linear:
		return QStringLiteral("linear");
	case Curve::Cubic:
		return QStringLiteral("cubic");
	case Curve::Quadratic:
		break;
	}
	return QStringLiteral("quadratic");
}

StickResponse::Curve StickResponse::curveFromName(const QString &name)
{
	for (Curve curve : {Curve::Linear, Curve::Quadratic, Curve::Cubic}) {
		if (curveName(curve) == name)
			return curve;
	}
	return defaultCurve;
}
