#pragma once

#include "app/QtText.h"

#include <QString>

class QLabel;
class QWidget;

#include <initializer_list>
#include <string>

// Helpers shared by the windows for the texts they show.

// Fills the %d, %s and %f conversions of a translated format with values, in order; "%%" is a
// percent sign. A conversion without a value is left out.
QString FillFormat(const std::string& format, std::initializer_list<QString> values);

// Removes leading and trailing blanks and control characters.
QString TrimBlanks(const QString& text);

// A label showing address as a link that opens in the browser; hidden when address is empty.
QLabel* LinkLabel(const QString& address, QWidget* parent);
