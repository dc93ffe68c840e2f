#pragma once

#include "ViscaTransfer.h"

// Every line of the bridge goes through here to the sink set with ViscaTransfer::setLogSink.
void bridgeLog(ViscaTransfer::LogLevel level, const QString &line);
