// The gamepad dialog, offscreen: each control it shows ends up under its key in the settings file, and the pad
// part follows the pads that come and go.
#include "control/CameraRig.h"
#include "gamepad/GamepadController.h"
#include "settings/PanelSettings.h"
#include "ui/GamepadDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonDocument>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString guid = QStringLiteral("030000005e0400008e02000010010000");

QString stored(const PanelSettings &settings, const QString &key)
{
	const QJsonValue value = settings.value(key);
	if (value.isObject())
		return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
	return value.toVariant().toString();
}

} // namespace

TEST(GamepadDialog, EveryControlIsStoredUnderItsKey)
{
	QTemporaryDir folder;
	PanelSettings settings(folder.path());
	PanelSettings::setInstance(&settings);
	{
		CameraRig rig(settings);
		GamepadController controller(rig, settings);
		GamepadDialog dialog(&controller);
		auto *pads = dialog.findChild<QComboBox *>("pads");
		ASSERT_NE(pads, nullptr);
		EXPECT_EQ(pads->currentText(), "GamepadNone"); // no locale here: the key itself
		EXPECT_FALSE(dialog.findChild<QComboBox *>("slot")->isEnabled());
		controller.attach(7, guid, "Pad");
		EXPECT_EQ(pads->currentText(), "Pad");
		EXPECT_TRUE(dialog.findChild<QComboBox *>("slot")->isEnabled());

		struct Row {
			std::function<void()> change;
			const char *key;
			const char *value;
		};
		const Row rows[] = {
			{[&] { dialog.findChild<QCheckBox *>("enabled")->setChecked(false); }, "gamepadEnabled",
			 "false"},
			{[&] { dialog.findChild<QSpinBox *>("deadZone")->setValue(25); }, "gamepadDeadZone", "25"},
			{[&] { dialog.findChild<QComboBox *>("curve")->setCurrentIndex(2); }, "gamepadCurve", "cubic"},
			{[&] { dialog.findChild<QComboBox *>("slot")->setCurrentIndex(3); }, "gamepadPads",
			 R"({"030000005e0400008e02000010010000":{"slot":3}})"},
			{[&] { dialog.findChild<QComboBox *>("action_back")->setCurrentIndex(9); }, "gamepadPads",
			 R"({"030000005e0400008e02000010010000":{"buttons":{"back":"preset9"},"slot":3}})"},
			{[&] { dialog.findChild<QComboBox *>("role_righty")->setCurrentIndex(0); }, "gamepadPads",
			 R"({"030000005e0400008e02000010010000":{"axes":{"righty":"none"},"buttons":{"back":"preset9"},"slot":3}})"},
			{[&] { dialog.findChild<QCheckBox *>("invert_leftx")->setChecked(true); }, "gamepadPads",
			 R"({"030000005e0400008e02000010010000":{"axes":{"righty":"none"},"buttons":{"back":"preset9"},"inverted":["leftx"],"slot":3}})"},
			{[&] { dialog.findChild<QPushButton *>("defaults")->click(); }, "gamepadPads", "{}"},
		};
		for (const Row &row : rows) {
			row.change();
			EXPECT_EQ(stored(PanelSettings(folder.path()), row.key), row.value) << row.key;
		}
		EXPECT_EQ(controller.pad(7)->mapping.slot(), 0);
		EXPECT_EQ(controller.response().curve(), StickResponse::Curve::Cubic);

		controller.detach(7);
		EXPECT_EQ(pads->currentText(), "GamepadNone");
	}
	PanelSettings::setInstance(nullptr);
}

int main(int argc, char **argv)
{
	qputenv("QT_QPA_PLATFORM", "offscreen");
	QApplication app(argc, argv);
	::testing::InitGoogleTest(&argc, argv);
	return RUN_ALL_TESTS();
}
