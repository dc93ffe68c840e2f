#pragma once

#include <string>

// What a model name stands for: which parameter tables describe it, which link class talks to it and what its
// pan/tilt limit dialog offers. One table decides all three (ModelFamily.cpp).
struct ModelFamily {
	enum class Params { H57p, WD909P, WD406P, H32P, JS4 };
	enum class Link { Plain, H32P, JS4 };

	Params params = Params::H57p;
	Link link = Link::Plain;
	bool speedCompensation = true;

	// Exact model names first, then name patterns for names the table does not know (tools may pass any name).
	static ModelFamily of(const std::string &modelName);
};
