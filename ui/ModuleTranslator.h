#pragma once

#include <QTranslator>

// Answers Qt's translation calls from the module's locale table, as the host does while it has the module's
// translation pushed (the panel is built inside that window). For running the widgets outside the host: the
// gallery and the widget tests install one around the construction of a window.
class ModuleTranslator : public QTranslator {
	Q_OBJECT

public:
	using QTranslator::QTranslator;

	QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
			  int n = -1) const override;
	bool isEmpty() const override;
};
