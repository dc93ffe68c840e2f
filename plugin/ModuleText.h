#pragma once

#include <util/text-lookup.h>

// The module's locale table and the text lookup that every fixed user-visible text goes through.
// The table is module-wide: OBS hands locales to the module as a whole.

// Locale text of key, or key itself when there is no table or no entry (declared the same way by <obs-module.h>).
extern "C" const char *obs_module_text(const char *key);

// Takes ownership of table and destroys the previous one; nullptr just frees the current table.
void moduleTextSetTable(lookup_t *table);
lookup_t *moduleTextTable();
// True with the translation stored through out when key is found; false (out untouched) otherwise.
bool moduleTextGetString(const char *key, const char **out);
