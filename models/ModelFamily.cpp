#include "models/ModelFamily.h"

namespace {

using Params = ModelFamily::Params;
using Link = ModelFamily::Link;

struct Row {
	enum Match { Exact, Contains } match;
	const char *text;
	Params params;
	Link link;
	bool speedCompensation;
};

// First match wins.
const Row rows[] = {
	{Row::Exact, "QK-H57P", Params::H57p, Link::Plain, true},
	{Row::Exact, "QK-H57PN", Params::H57p, Link::Plain, true},
	{Row::Exact, "QK-H57P-BRN", Params::H57p, Link::Plain, true},
	{Row::Exact, "QK-H57PN-BRN", Params::H57p, Link::Plain, true},
	{Row::Exact, "QK-H45P", Params::H57p, Link::Plain, true},
	{Row::Exact, "QK-H45PN", Params::H57p, Link::Plain, true},
	{Row::Exact, "QK-H45PN-BRN", Params::H57p, Link::Plain, true},
	{Row::Exact, "ZR714-IP", Params::H57p, Link::Plain, true},
	{Row::Exact, "QK-WD909P", Params::WD909P, Link::Plain, true},
	{Row::Exact, "QK-WD909P-BRN", Params::WD909P, Link::Plain, true},
	{Row::Exact, "QK-WD909PN-BRN", Params::WD909P, Link::Plain, true},
	{Row::Exact, "QK-WD508P", Params::WD909P, Link::Plain, true},
	{Row::Exact, "QK-WD508P-BRN", Params::WD909P, Link::Plain, true},
	{Row::Exact, "QK-WD508PN-BRN", Params::WD909P, Link::Plain, true},
	{Row::Exact, "QK-WD406P", Params::WD406P, Link::Plain, true},
	{Row::Exact, " ZR-318-30X", Params::H57p, Link::Plain, true},
	{Row::Exact, "QK-H32P", Params::H32P, Link::H32P, false},
	{Row::Exact, "QK-H32PN", Params::H32P, Link::H32P, false},
	{Row::Exact, "ZR712-IP", Params::H32P, Link::Plain, true},
	{Row::Exact, "QK-H33P", Params::H32P, Link::Plain, true},
	{Row::Exact, "QK-JS4", Params::JS4, Link::JS4, true},
	// Names outside the table.
	{Row::Contains, "32P", Params::H57p, Link::H32P, true},
	{Row::Contains, "QK-JS4", Params::H57p, Link::JS4, true},
};

} // namespace

ModelFamily ModelFamily::of(const std::string &modelName)
{
	for (const Row &row : rows) {
		const bool match =
			row.match == Row::Exact ? modelName == row.text : modelName.find(row.text) != std::string::npos;
		if (match)
			return ModelFamily{row.params, row.link, row.speedCompensation};
	}
	return ModelFamily{};
}
