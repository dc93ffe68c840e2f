#pragma once

#include <QString>

// The host application's theme is an application-wide style sheet that also reaches our windows: it adds margins,
// paddings, title offsets and a minimum height to every button, box and field, which would otherwise override the
// designed spacing (and a minimum height from a style sheet replaces a button's designed one). Rules in a window's
// own style sheet outrank the application's, so each window sets its declarations followed by these neutral ones;
// the buttons' designed heights are restated for that reason, as height too: a theme's button height (OBS 30's)
// is also the button's greatest. Without a host theme they change nothing.
inline QString withHostThemeReset(const QString &windowDeclarations)
{
	return QStringLiteral("* { ") + windowDeclarations +
	       QStringLiteral(
		       " }\n"
		       "QPushButton, QLineEdit, QGroupBox { margin: 0px; padding: 0px; }\n"
		       "QPushButton { border: none; }\n"
		       "MainDialog QComboBox { margin: 0px; }\n"
		       "QGroupBox::title { top: 0px; }\n"
		       "QComboBox::drop-down, QFrame { border: none; }\n"
		       "QSlider::groove:vertical, QSlider::handle:vertical { width: -1px; border: none; }\n"
		       "#MinusButton, #PlusButton, #OnePushButton, #PanTiltLimitButton, #PTZSpeedCompButton { "
		       "min-height: 25px; height: 25px; max-height: 25px; }\n"
		       "#SettingsButton, #ViewButton, #HelpButton, #ApplyButton, #SearchButton { min-height: 30px; "
		       "height: 30px; max-height: 30px; }\n"
		       "#Camera1Button, #Camera2Button, #Camera3Button, #Camera4Button, #Camera5Button, #Camera6Button,"
		       " #Camera7Button, #Camera8Button { min-height: 32px; height: 32px; max-height: 32px; }\n"
		       "#Preset1Button, #Preset2Button, #Preset3Button, #Preset4Button, #Preset5Button, #Preset6Button,"
		       " #Preset7Button, #Preset8Button, #Preset9Button, #StoreButton, #TenButton, #CallButton, "
		       "#ZoomPlusButton,"
		       " #ZoomMinusButton, #FocusPlusButton, #FocusMinusButton, #AFButton { min-height: 35px; height: "
		       "35px; max-height: 35px; }\n"
		       "#UpperLeftButton, #UpButton, #UpperRightButton, #LefButton, #HomeButton, #RightButton, "
		       "#LowerLeftButton,"
		       " #DownButton, #LowerRightButton { min-height: 60px; height: 60px; max-height: 60px; }\n"
		       "#LowLightButton, #IndoorButton, #BackLightButton, #MotionButton { min-height: 68px; height: "
		       "68px; max-height: 68px; }\n");
}
