#pragma once

#include <QStringList>

// Each sub-command gets the arguments after its name and returns the process exit code:
// 0 success, 1 the operation failed, 2 usage error (message already on stderr).
int runSimulateCommand(const QStringList &args);
int runSendCommand(const QStringList &args);
int runIdentifyCommand(const QStringList &args);
int runDiscoverCommand(const QStringList &args);
int runBridgeCommand(const QStringList &args);
