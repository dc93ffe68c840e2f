#include "plugin/ModuleText.h"

namespace {

lookup_t *localeTable = nullptr;

} // namespace

extern "C" const char *obs_module_text(const char *key)
{
	const char *text = key;
	if (localeTable)
		text_lookup_getstr(localeTable, key, &text);
	return text;
}

void moduleTextSetTable(lookup_t *table)
{
	if (localeTable == table)
		return;
	if (localeTable)
		text_lookup_destroy(localeTable);
	localeTable = table;
}

lookup_t *moduleTextTable()
{
	return localeTable;
}

bool moduleTextGetString(const char *key, const char **out)
{
	if (!localeTable)
		return false;
	return text_lookup_getstr(localeTable, key, out);
}
