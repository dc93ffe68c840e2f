#include "FakeResponder.h"

#include "DiscoveryDialog.h"
#include "settings/Utils.h"
#include "visca/CameraSimulator.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

QJsonObject storedSettings()
{
	QJsonObject settings;
	Utils::readJsonFile(settings, Utils::settingsDirectory());
	return settings;
}

// Closes every warning box that the dialog opens modally, counting them.
class WarningBoxCloser {
public:
	WarningBoxCloser()
	{
		m_timer.setInterval(10);
		QObject::connect(&m_timer, &QTimer::timeout, [this] {
			if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
				texts << box->text();
				box->done(0);
			}
		});
		m_timer.start();
	}
	QStringList texts;

private:
	QTimer m_timer;
};

class DiscoveryDialogTest : public testing::Test {
protected:
	void SetUp() override
	{
		QFile::remove(Utils::settingsDirectory() + "/BrenmoorOBSPlugin.json");
		dialog = std::make_unique<DiscoveryDialog>(nullptr, target);
		dialog->show();
		ipEdit = dialog->findChild<QLineEdit *>("IPEidt");
		nameEdit = dialog->findChild<QLineEdit *>("NameEdit");
		slotBox = dialog->findChild<QComboBox *>("CameraComboBox");
		table = dialog->findChild<QTableWidget *>("IPTableWidget");
		ASSERT_TRUE(ipEdit && nameEdit && slotBox && table);
	}

	// Fills the fields, presses Apply and returns the warning texts shown.
	QStringList apply(const QString &ip, const QString &name)
	{
		ipEdit->setText(ip);
		nameEdit->setText(name);
		WarningBoxCloser closer;
		QTest::mouseClick(dialog->findChild<QPushButton *>("ApplyButton"), Qt::LeftButton);
		return closer.texts;
	}

	void search() { QTest::mousePress(dialog->findChild<QPushButton *>("SearchButton"), Qt::LeftButton); }

	DiscoveryDialog::SearchTarget target;
	std::unique_ptr<DiscoveryDialog> dialog;
	QLineEdit *ipEdit = nullptr;
	QLineEdit *nameEdit = nullptr;
	QComboBox *slotBox = nullptr;
	QTableWidget *table = nullptr;
};

TEST_F(DiscoveryDialogTest, OpensOnTheFirstSlotWithItsDefaults)
{
	EXPECT_EQ(slotBox->currentText(), "Camera1");
	EXPECT_EQ(slotBox->count(), 8);
	EXPECT_EQ(ipEdit->text(), "");
	EXPECT_EQ(nameEdit->text(), "Camera1");
}

struct ApplyCase {
	const char *ip;
	const char *name;
	bool accepted;
};

class ApplyInput : public DiscoveryDialogTest, public testing::WithParamInterface<ApplyCase> {};

TEST_P(ApplyInput, IsStoredOrRefusedWithTheWarning)
{
	QSignalSpy assigned(dialog.get(), &DiscoveryDialog::ipAssigned);
	const QStringList warnings = apply(GetParam().ip, GetParam().name);
	if (GetParam().accepted) {
		EXPECT_TRUE(warnings.isEmpty());
		ASSERT_EQ(assigned.count(), 1);
		EXPECT_EQ(assigned[0][1].toString(), GetParam().ip);
		EXPECT_EQ(storedSettings()["Camera1IP"].toString(), GetParam().ip);
	} else {
		EXPECT_EQ(warnings, QStringList{"CameraAssignError"});
		EXPECT_EQ(assigned.count(), 0);
		EXPECT_TRUE(storedSettings().isEmpty());
	}
}

INSTANTIATE_TEST_SUITE_P(Addresses, ApplyInput,
			 testing::Values(ApplyCase{"192.168.001.010", "Stage", true},
					 ApplyCase{"0.0.0.0", "Zero", true}, ApplyCase{"192.168.1.256", "Stage", false},
					 ApplyCase{"192.168.1", "Stage", false},
					 ApplyCase{"192.168.1.10 ", "Stage", false},
					 ApplyCase{"1921.168.1.10", "Stage", false}, ApplyCase{"", "Stage", false},
					 ApplyCase{"192.168.1.10", "", false}));

TEST_F(DiscoveryDialogTest, ApplyOnTheThirdSlotWritesItsKeysAndKeepsOthers)
{
	QJsonObject before;
	before["hotKey"] = true;
	ASSERT_TRUE(Utils::writeJsonFile(before, Utils::settingsDirectory()));
	slotBox->setCurrentIndex(2);
	QSignalSpy assigned(dialog.get(), &DiscoveryDialog::ipAssigned);
	EXPECT_TRUE(apply("10.0.0.13", "Stage").isEmpty());
	ASSERT_EQ(assigned.count(), 1);
	EXPECT_EQ(assigned[0], (QList<QVariant>{2, "10.0.0.13", "Stage"}));
	const QJsonObject after = storedSettings();
	EXPECT_EQ(after["Camera3IP"].toString(), "10.0.0.13");
	EXPECT_EQ(after["Camera3NickName"].toString(), "Stage");
	EXPECT_EQ(after["hotKey"].toBool(), true);
	EXPECT_EQ(after.size(), 3);
}

TEST_F(DiscoveryDialogTest, SwitchingSlotsShowsWhatIsStored)
{
	slotBox->setCurrentIndex(3);
	apply("10.0.0.14", "Stage");
	slotBox->setCurrentIndex(4);
	EXPECT_EQ(ipEdit->text(), "");
	EXPECT_EQ(nameEdit->text(), "Camera5");
	slotBox->setCurrentText("Camera4");
	EXPECT_EQ(ipEdit->text(), "10.0.0.14");
	EXPECT_EQ(nameEdit->text(), "Stage");
}

// A search against a stand-in device on a loopback address whose announced address runs a simulated camera,
// and a second device with nothing behind it.
class DialogSearch : public DiscoveryDialogTest {
protected:
	DialogSearch()
	{
		target.probeDestination = QHostAddress("127.0.5.30");
		target.probePort = 37030;
		target.cameraPort = 37031;
	}
	void SetUp() override
	{
		CameraSimulator::Options options;
		options.model = "QK-WD909P";
		options.bindAddress = "127.0.5.31";
		options.port = 37031;
		camera = std::make_unique<CameraSimulator>(options);
		ASSERT_TRUE(camera->start()) << camera->errorString();
		const std::string scope = "onvif://www.onvif.org/name/";
		devices = std::make_unique<FakeResponder>(
			"127.0.5.30", 37030,
			std::vector<FakeResponder::Reply>{
				{0, "<wsdd:Scopes>" + scope +
					    "PULPIT</wsdd:Scopes><wsdd:XAddrs>http://127.0.5.31:80/x</wsdd:XAddrs>"},
				{0,
				 "<d:Scopes>" + scope + "NOBODY</d:Scopes><d:XAddrs>http://127.0.5.32/x</d:XAddrs>"}});
		ASSERT_TRUE(devices->bound());
		DiscoveryDialogTest::SetUp();
	}
	std::unique_ptr<CameraSimulator> camera;
	std::unique_ptr<FakeResponder> devices;
};

TEST_F(DialogSearch, ListsRecognisedCamerasOnceAcrossSearches)
{
	table->insertRow(0);
	table->setItem(0, 0, new QTableWidgetItem("stale"));
	for (int i = 0; i < 2; ++i) {
		search();
		ASSERT_EQ(table->rowCount(), 1);
		EXPECT_EQ(table->item(0, 0)->text(), "127.0.5.31");
		EXPECT_EQ(table->item(0, 1)->text(), "PULPIT");
	}
}

TEST_F(DialogSearch, ClickingARowCopiesItsAddressOnly)
{
	search();
	ASSERT_EQ(table->rowCount(), 1);
	nameEdit->setText("Pulpit cam");
	const QRect cell = table->visualRect(table->model()->index(0, 1));
	QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
	EXPECT_EQ(ipEdit->text(), "127.0.5.31");
	EXPECT_EQ(nameEdit->text(), "Pulpit cam");
}

} // namespace

int main(int argc, char **argv)
{
	// Settings go to a folder of this run, never the user's.
	QTemporaryDir dataHome;
	qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
	qputenv("QT_QPA_PLATFORM", "offscreen");
	QApplication app(argc, argv);
	testing::InitGoogleTest(&argc, argv);
	return RUN_ALL_TESTS();
}
