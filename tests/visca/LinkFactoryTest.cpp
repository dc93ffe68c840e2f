// Which link class a model name gets.
#include "H32PViscaIPModule.h"
#include "JS4ViscaIPModule.h"
#include "LinkTestSupport.h"
#include "ViscaModuleFactory.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct FactoryCase {
	const char *model;
	const char *className;
	bool logged;
};

class LinkFactory : public ::testing::TestWithParam<FactoryCase> {};

TEST_P(LinkFactory, ChoosesTheClassByName)
{
	LogCapture::clear();
	std::unique_ptr<viscaIpModule> link(createViscaModule(QString::fromUtf8(GetParam().model)));
	ASSERT_NE(link, nullptr);
	EXPECT_STREQ(link->metaObject()->className(), GetParam().className);
	EXPECT_EQ(link->parent(), nullptr);
	const QStringList expected = GetParam().logged
					     ? QStringList{QString("model %1").arg(QString::fromUtf8(GetParam().model))}
					     : QStringList();
	EXPECT_EQ(LogCapture::messages(), expected);
}

INSTANTIATE_TEST_SUITE_P(Names, LinkFactory,
			 ::testing::Values(FactoryCase{"QK-H32P", "H32PViscaIPModule", true},
					   FactoryCase{"QK-H32PN", "H32PViscaIPModule", true},
					   FactoryCase{"ZR712-IP", "viscaIpModule", false},
					   FactoryCase{"QK-H33P", "viscaIpModule", false},
					   FactoryCase{"qk-h32p", "viscaIpModule", false},
					   FactoryCase{"QK-JS4", "JS4ViscaIPModule", false},
					   FactoryCase{"QK-JS4-X", "JS4ViscaIPModule", false},
					   FactoryCase{"QK-JS4 32P", "H32PViscaIPModule", true},
					   FactoryCase{"QK-H57P", "viscaIpModule", false},
					   FactoryCase{" ZR-318-30X", "viscaIpModule", false},
					   FactoryCase{"Unknown", "viscaIpModule", false},
					   FactoryCase{"", "viscaIpModule", false}));

} // namespace
