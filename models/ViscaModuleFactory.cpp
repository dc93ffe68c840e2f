#include "ViscaModuleFactory.h"

#include "H32PViscaIPModule.h"
#include "JS4ViscaIPModule.h"
#include "ModelFamily.h"
#include "viscaIpModule.h"
#include "visca/DeveloperLog.h"

#include <QtDebug>

viscaIpModule *createViscaModule(const QString &model)
{
	switch (ModelFamily::of(model.toStdString()).link) {
	case ModelFamily::Link::H32P:
		DeveloperLog::line("model %s", model.toUtf8().constData());
		return new H32PViscaIPModule();
	case ModelFamily::Link::JS4:
		return new JS4ViscaIPModule();
	case ModelFamily::Link::Plain:
		break;
	}
	return new viscaIpModule();
}
