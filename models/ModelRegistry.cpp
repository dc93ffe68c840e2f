#include "models/ModelRegistry.h"

#include "models/H32P_ViscaOps.h"
#include "models/ModelFamily.h"
#include "models/H57p_ViscaOps.h"
#include "models/JS4_ViscaOps.h"
#include "models/WD406P_ViscaOps.h"
#include "models/WD909P_ViscaOps.h"

ModelRegistry::ModelRegistry()
	: m_records{
		  {"VMI", "QK-H57P"},
		  {"VZF", "QK-H57PN"},
		  {"VZS", "QK-H57P-BRN"},
		  {"VOF", "QK-H57PN-BRN"},
		  {"VBR", "QK-H45P"},
		  {"VRO", "QK-H45PN"},
		  {"VRY", "QK-H45PN-BRN"},
		  {"VSX", "ZR714-IP"},
		  {"VBW", "QK-WD909P"},
		  {"VMT", "QK-WD909P-BRN"},
		  {"VOT", "QK-WD909PN-BRN"},
		  {"VKD", "QK-WD508P"},
		  {"VNB", "QK-WD508P-BRN"},
		  {"VRH", "QK-WD508PN-BRN"},
		  {"VKL", "QK-WD406P"},
		  {"VLO", " ZR-318-30X"},
		  // Both report "VIL", so a camera of either identifies as the first.
		  {"VIL", "QK-H32P"},
		  {"VIL", "QK-H32PN"},
		  {"VHB", "ZR712-IP"},
		  {"VLS", "QK-H33P"},
		  // No camera reports an ID code; the JS4 is recognised by its version answer.
		  {"None", "QK-JS4"},
	  }
{
}

std::string ModelRegistry::modelNameForCode(const std::string &code) const
{
	for (const Record &record : m_records) {
		if (record.idCode == code)
			return record.modelName;
	}
	return "Unknown";
}

int ModelRegistry::modelIndex(const std::string &name) const
{
	for (size_t i = 0; i < m_records.size(); ++i) {
		if (m_records[i].modelName == name)
			return static_cast<int>(i);
	}
	return -1;
}

std::unique_ptr<ViscaParamOps> ModelRegistry::createParamOps(const std::string &name) const
{
	switch (ModelFamily::of(name).params) {
	case ModelFamily::Params::WD909P:
		return std::make_unique<WD909P_ViscaOps>(name);
	case ModelFamily::Params::WD406P:
		return std::make_unique<WD406P_ViscaOps>(name);
	case ModelFamily::Params::H32P:
		return std::make_unique<H32P_ViscaOps>(name);
	case ModelFamily::Params::JS4:
		return std::make_unique<JS4_ViscaOps>(name);
	case ModelFamily::Params::H57p:
		break;
	}
	return std::make_unique<H57p_ViscaOps>(name);
}
