#include "ViscaModuleFactory.h"

#include "H32PViscaIPModule.h"
#include "JS4ViscaIPModule.h"
#include "viscaIpModule.h"

#include <QtDebug>

viscaIpModule *createViscaModule(const QString &model)
{
	if (model.contains(QStringLiteral("32P"))) {
		qDebug("model %s", model.toUtf8().constData());
		return new H32PViscaIPModule();
	}
	if (model.contains(QStringLiteral("QK-JS4")))
		return new JS4ViscaIPModule();
	return new viscaIpModule();
}
