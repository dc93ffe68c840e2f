#pragma once

#include <QString>

class viscaIpModule;

// Creates the link class for a model name, without a parent; the caller owns it and connects it.
viscaIpModule *createViscaModule(const QString &model);
