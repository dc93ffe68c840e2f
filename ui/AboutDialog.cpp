#include "AboutDialog.h"
#include "ui_AboutDialog.h"
#include "HostThemeReset.h"

#include <QLabel>
#include <QPushButton>

#include <obs-module.h>

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
	ui->setupUi(this);
	setWindowTitle(QString::fromUtf8(obs_module_text("AboutUs")));
	ensurePolished(); // so that the new sheet restyles the widgets the form has already styled
	setStyleSheet(withHostThemeReset(styleSheet()));

	// A way out besides the title bar's, beside the version.
	auto *close = new QPushButton(QString::fromUtf8(obs_module_text("Close")), this);
	close->setObjectName("CloseButton");
	close->setStyleSheet("QPushButton { background: #606060; color: #FFFFFF; border-radius: 5px;"
			     " font: normal normal bold 14px Arial; padding: 3px 14px; }"
			     "QPushButton:pressed { background: #7bb0b7; }");
	ui->InfoHLayout->insertWidget(0, close);
	connect(close, &QPushButton::clicked, this, &QDialog::close);

	// The licence and the project page, each a link that opens in the browser.
	const auto link = [](const QString &url, const char *key) {
		return QStringLiteral("<a style=\"color: #7bb0b7;\" href=\"%1\">%2</a>")
			.arg(url, QString::fromUtf8(obs_module_text(key)).toHtmlEscaped());
	};
	auto *links = new QLabel(
		link(QStringLiteral("https://www.gnu.org/licenses/old-licenses/gpl-2.0.html"), "AboutLicence") +
			QStringLiteral(" &nbsp;&middot;&nbsp; ") +
			link(QStringLiteral(PTZ_PROJECT_URL), "AboutProjectPage"),
		this);
	links->setObjectName("LinksLabel");
	links->setStyleSheet("font: normal normal normal 13px Arial; color: #FFFFFF;");
	links->setTextFormat(Qt::RichText);
	links->setOpenExternalLinks(true);
	links->setTextInteractionFlags(Qt::TextBrowserInteraction);
	links->setAlignment(Qt::AlignCenter);
	ui->InfoHLayout->insertWidget(1, links, 1);
	ui->VersionLabel->setText(QStringLiteral("V" PTZ_PLUGIN_VERSION));
}

AboutDialog::~AboutDialog()
{
	delete ui;
}
