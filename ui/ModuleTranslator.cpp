#include "ModuleTranslator.h"

#include "plugin/ModuleText.h"

QString ModuleTranslator::translate(const char *, const char *sourceText, const char *, int) const
{
	const char *text = nullptr;
	return moduleTextGetString(sourceText, &text) ? QString::fromUtf8(text) : QString();
}

bool ModuleTranslator::isEmpty() const
{
	return false;
}
