#pragma once

#include "models/ViscaParamOps.h"

#include <memory>
#include <string>
#include <vector>

// The fixed table of known models: the ID code a camera reports and the model name it stands for.
// Record order matters: a code lookup takes the first match. The parameter class comes from ModelFamily.
class ModelRegistry {
public:
	struct Record {
		std::string idCode;
		std::string modelName;
	};

	ModelRegistry();

	// Model name of the first record with this ID code; "Unknown" when there is none.
	std::string modelNameForCode(const std::string &code) const;
	// Position of the first record with this model name; -1 when there is none.
	int modelIndex(const std::string &name) const;
	// New parameter object of the name's family (unknown names get H57p_ViscaOps, keeping the name).
	std::unique_ptr<ViscaParamOps> createParamOps(const std::string &name) const;

private:
	std::vector<Record> m_records;
};
