#include "NetnsGuard.h"

#include "DiscoveryDialog.h"
#include "settings/PanelSettings.h"
#include "settings/Utils.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

class DiscoveryDialogTest : public testing::Test {
protected:
	void SetUp() override
	{
		// Each test starts from no file, read by settings of its own.
		QFile::remove(Utils::settingsDirectory() + "/BrenmoorOBSPlugin.json");
		panelSettings = std::make_unique<PanelSettings>(Utils::settingsDirectory());
		PanelSettings::setInstance(panelSettings.get());
		// Searches go to a loopback address where nothing answers; real results are checked in a namespace.
		DiscoveryDialog::SearchTarget target;
		target.probeDestination = QHostAddress("127.0.5.30");
		target.probePort = 37030;
		dialog = std::make_unique<DiscoveryDialog>(nullptr, target);
		dialog->show();
		ipEdit = dialog->findChild<QLineEdit *>("IPEidt");
		nameEdit = dialog->findChild<QLineEdit *>("NameEdit");
		slotBox = dialog->findChild<QComboBox *>("CameraComboBox");
		ASSERT_TRUE(ipEdit && nameEdit && slotBox);
	}

	// Fills the fields, presses Apply and returns the texts of the warning boxes shown, each closed at once.
	QStringList apply(const QString &ip, const QString &name)
	{
		ipEdit->setText(ip);
		nameEdit->setText(name);
		QTest::mouseClick(dialog->findChild<QPushButton *>("ApplyButton"), Qt::LeftButton);
		QStringList warnings;
		for (QMessageBox *box : dialog->findChildren<QMessageBox *>()) {
			if (!box->isVisible())
				continue;
			warnings << box->text() + (box->isModal() ? " (modal)" : "");
			box->done(0);
		}
		return warnings;
	}

	std::unique_ptr<PanelSettings> panelSettings;
	std::unique_ptr<DiscoveryDialog> dialog;
	QLineEdit *ipEdit = nullptr;
	QLineEdit *nameEdit = nullptr;
	QComboBox *slotBox = nullptr;
};

struct ApplyCase {
	const char *label;
	const char *ip;
	const char *name;
	bool accepted;
};

class ApplyInput : public DiscoveryDialogTest, public testing::WithParamInterface<ApplyCase> {};

// On the third slot of a settings file that holds another key: an accepted entry is stored beside it, sent with
// the slot's index and shown again when the slot is chosen again; a refused one leaves the slot empty.
TEST_P(ApplyInput, IsStoredOrRefusedWithTheWarning)
{
	const ApplyCase &c = GetParam();
	ASSERT_TRUE(Utils::writeJsonFile(QJsonObject{{"hotKey", true}}, Utils::settingsDirectory()));
	slotBox->setCurrentIndex(2);
	QSignalSpy assigned(dialog.get(), &DiscoveryDialog::ipAssigned);
	EXPECT_EQ(apply(c.ip, c.name), c.accepted ? QStringList() : QStringList{"CameraAssignError"});
	using Calls = QList<QList<QVariant>>;
	EXPECT_EQ(assigned, (c.accepted ? Calls{{2, c.ip, c.name}} : Calls()));
	QJsonObject stored{{"hotKey", true}};
	if (c.accepted)
		stored = QJsonObject{{"hotKey", true}, {"Camera3IP", c.ip}, {"Camera3NickName", c.name}};
	QJsonObject settings;
	Utils::readJsonFile(settings, Utils::settingsDirectory());
	EXPECT_EQ(settings, stored);
	slotBox->setCurrentIndex(3);
	slotBox->setCurrentIndex(2);
	EXPECT_EQ(QStringList({ipEdit->text(), nameEdit->text()}),
		  (c.accepted ? QStringList{c.ip, c.name} : QStringList{"", "Camera3"}));
	// The slot box lists the slots by their names.
	EXPECT_EQ(slotBox->itemText(2), c.accepted ? c.name : "Camera3");
}

INSTANTIATE_TEST_SUITE_P(Addresses, ApplyInput,
			 testing::Values(ApplyCase{"LeadingZeros", "192.168.001.010", "Stage", true},
					 ApplyCase{"AllZero", "0.0.0.0", "Zero", true},
					 ApplyCase{"NumberAbove255", "192.168.1.256", "Stage", false},
					 ApplyCase{"ThreeNumbers", "192.168.1", "Stage", false},
					 ApplyCase{"TrailingSpace", "192.168.1.10 ", "Stage", false},
					 ApplyCase{"TextBefore", "x192.168.1.10", "Stage", false},
					 ApplyCase{"FourDigits", "1921.168.1.10", "Stage", false},
					 ApplyCase{"EmptyAddress", "", "Stage", false},
					 ApplyCase{"EmptyName", "192.168.1.10", "", false}),
			 [](const testing::TestParamInfo<ApplyCase> &info) { return std::string(info.param.label); });

// A slot's source and tally are shown from the file, kept when OBS has no source of that name, and stored with
// Apply; "(none)" and "off" take their keys out.
TEST_F(DiscoveryDialogTest, SlotSourceAndTallyAreShownAndStored)
{
	const QJsonObject before{{"Camera2IP", "127.0.0.2"},
				 {"Camera2NickName", "Two"},
				 {"Camera2Source", "Cam X"},
				 {"Camera2Tally", "red"}};
	ASSERT_TRUE(Utils::writeJsonFile(before, Utils::settingsDirectory()));
	PanelSettings::instance().reload();
	auto *source = dialog->findChild<QComboBox *>("SourceComboBox");
	auto *tally = dialog->findChild<QComboBox *>("TallyComboBox");
	ASSERT_TRUE(source && tally);
	slotBox->setCurrentIndex(1);
	EXPECT_EQ(source->currentData().toString(), "Cam X");
	EXPECT_EQ(tally->currentData().toString(), "red");

	struct Row {
		int sourceIndex; // -1: as shown
		const char *tally;
		QJsonObject stored;
	};
	const Row rows[] = {
		{-1, "redGreen",
		 QJsonObject{{"Camera2IP", "127.0.0.2"},
			     {"Camera2NickName", "Two"},
			     {"Camera2Source", "Cam X"},
			     {"Camera2Tally", "redGreen"}}},
		{0, "off", QJsonObject{{"Camera2IP", "127.0.0.2"}, {"Camera2NickName", "Two"}}},
	};
	for (const Row &row : rows) {
		if (row.sourceIndex >= 0)
			source->setCurrentIndex(row.sourceIndex);
		tally->setCurrentIndex(tally->findData(QString::fromLatin1(row.tally)));
		EXPECT_TRUE(apply("127.0.0.2", "Two").isEmpty());
		QJsonObject settings;
		Utils::readJsonFile(settings, Utils::settingsDirectory());
		EXPECT_EQ(settings, row.stored) << row.tally;
	}
}

TEST_F(DiscoveryDialogTest, ClickingARowCopiesItsAddressOnly)
{
	auto *table = dialog->findChild<QTableWidget *>("IPTableWidget");
	table->insertRow(0);
	table->setItem(0, 0, new QTableWidgetItem("10.0.0.31"));
	table->setItem(0, 1, new QTableWidgetItem("PULPIT"));
	nameEdit->setText("Pulpit cam");
	const QRect cell = table->visualRect(table->model()->index(0, 1));
	QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
	EXPECT_EQ(ipEdit->text(), "10.0.0.31");
	EXPECT_EQ(nameEdit->text(), "Pulpit cam");
	// The picked address stays while the slot it goes to is chosen.
	slotBox->setCurrentIndex(5);
	EXPECT_EQ(QStringList({ipEdit->text(), nameEdit->text()}), QStringList({"10.0.0.31", "Camera6"}));
}

// A search says that it runs, then what it found.
TEST_F(DiscoveryDialogTest, SearchShowsItsState)
{
	auto *list = dialog->findChild<QLabel *>("ListLabel");
	QTest::mousePress(dialog->findChild<QPushButton *>("SearchButton"), Qt::LeftButton);
	EXPECT_EQ(list->text(), "Searching");
	ASSERT_TRUE(QTest::qWaitFor([this] { return !dialog->isSearching(); }, 30000));
	EXPECT_EQ(list->text(), "NoCamerasFound");
}

// Run by discover_test.py inside its own network namespace: two searches with the real target (broadcast, port
// 3702, cameras on 52381), then the table, one "address<TAB>name" line per row.
int searchTwiceInNamespace()
{
	const char *host = std::getenv("PTZ_HOST_NETNS"); // recorded by the script that made this namespace
	if (!inPrivateNetworkNamespace(host ? std::strtoul(host, nullptr, 10) : 0)) {
		std::fprintf(stderr, "FAIL: refusing to broadcast: not inside a private network namespace\n");
		return 1;
	}
	DiscoveryDialog dialog;
	dialog.show();
	for (int i = 0; i < 2; ++i) {
		QTest::mousePress(dialog.findChild<QPushButton *>("SearchButton"), Qt::LeftButton);
		if (!QTest::qWaitFor([&dialog] { return !dialog.isSearching(); }, 30000)) {
			std::fprintf(stderr, "FAIL: the search did not end\n");
			return 1;
		}
	}
	const QTableWidget *table = dialog.findChild<QTableWidget *>("IPTableWidget");
	for (int row = 0; row < table->rowCount(); ++row)
		std::printf("%s\t%s\n", qPrintable(table->item(row, 0)->text()),
			    qPrintable(table->item(row, 1)->text()));
	std::fflush(stdout);
	return 0;
}

} // namespace

int main(int argc, char **argv)
{
	// Settings go to a folder of this run, never the user's.
	QTemporaryDir dataHome;
	qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
	qputenv("QT_QPA_PLATFORM", "offscreen");
	QApplication app(argc, argv);
	if (argc == 2 && std::strcmp(argv[1], "--search-twice-in-namespace") == 0)
		return searchTwiceInNamespace();
	testing::InitGoogleTest(&argc, argv);
	return RUN_ALL_TESTS();
}
