#pragma once

// The one place that knows which regular-expression classes this Qt has. The forms' patterns were written for
// QRegExp (Qt 5); Qt 6 only has QRegularExpression, whose validator already anchors the whole input.

#include <QObject>
#include <QString>
#include <QValidator>
#include <QtGlobal>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QRegExp>
#include <QRegExpValidator>
#else
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#endif

// Validator accepting text that matches pattern as a whole (case-sensitive); parent owns it.
inline QValidator *makeRegExpValidator(const QString &pattern, QObject *parent)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
	return new QRegExpValidator(QRegExp(pattern, Qt::CaseSensitive, QRegExp::RegExp), parent);
#else
	return new QRegularExpressionValidator(QRegularExpression(pattern), parent);
#endif
}

// True when pattern matches all of text (case-sensitive), as QRegExp::exactMatch does.
inline bool regExpExactMatch(const QString &pattern, const QString &text)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
	return QRegExp(pattern, Qt::CaseSensitive, QRegExp::RegExp).exactMatch(text);
#else
	return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch();
#endif
}
