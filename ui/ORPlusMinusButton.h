#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QWidget>

#include <string>

namespace Ui {
class ORPlusMinusButton;
}

// Minus button, text field and plus button in a row: steps through a list of labelled codes (list mode) or
// through an integer range (range mode) and reports each step with valueChanged.
class ORPlusMinusButton : public QWidget {
	Q_OBJECT

public:
	explicit ORPlusMinusButton(QWidget *parent = nullptr);
	~ORPlusMinusButton() override;

	// List mode: labels mapped to the codes the camera takes.
	void setElements(const QMap<std::string, int> &elements);
	// Range mode, bounds inclusive; equal bounds disable the whole widget.
	void setRange(int min, int max);
	void setStepEnabled(bool enabled);
	// Shows value without emitting; false when it is out of range or no label has it.
	bool setValue(int value);
	// Range mode: the shown number. List mode: the code of label, -1 when there is none.
	int valueOf(QString label);

signals:
	void valueChanged(int value);

protected:
	void resizeEvent(QResizeEvent *event) override;

private:
	void stepUp();
	void stepDown();
	void showLabel(const QString &label);
	QString currentLabel() const;

	Ui::ORPlusMinusButton *ui;
	bool _rangeMode = false;
	int MinValue = 0;
	int MaxValue = 0;
	QList<std::string> _elements;
	QMap<std::string, int> _elementValues;
	// The whole label or number the field stands for; the field may show it elided.
	QString _label;
	QString _shown;
};
