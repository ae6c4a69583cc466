// Numbers, booleans and colours as text in the chart's XML and INI forms: floats by the general
// format (shortest text with up to 15 significant digits) with "." whatever the locale, read back
// in any locale; the number lists of the INI form read number by number.
#pragma once

#include <QString>

#include <cstdint>

// General format with "." as decimal separator ("1.5", "-2", "2.5E-6", "NAN", "INF").
QString FloatToText(double Value);
// A single in the same format: the shortest decimal that reads back to the same single ("0.1"
// for 0.1f, not the 15 digits of its double value).
QString SingleToText(float Value);
// Reads a float written with "." or with the locale's decimal separator, blanks around it
// allowed; also "NAN", "INF", "-INF" in any case. Raises ERtTextConvertError
// ("'<text>' is not a valid floating point value").
double TextToFloat(const QString& Text);
bool TryTextToFloat(const QString& Text, double& Value);

// Decimal integer, or hexadecimal after "$" or "0x"; raises ERtTextConvertError
// ("'<text>' is not a valid integer value"). Hexadecimal fills the 32 bits as they stand.
int TextToInteger(const QString& Text);
bool TryTextToInteger(const QString& Text, int& Value);

// "true" / "false".
QString BoolToText(bool Value);
// "true", "false" in any case, or an integer (0 is false); raises ERtTextConvertError
// ("'<text>' is not a valid boolean value").
bool TextToBool(const QString& Text);

// Takes the next number off the front of a blank-separated list and removes what it read:
// a leading "E" or "e" that is not followed by a sign or digit is dropped, then every character
// that cannot start a number, then the longest leading number is converted ("NAN" in any case
// gives a NaN). Raises ERtExtractError ("Error during floating point number extraction") when no
// number is left.
double ExtractFloat(QString& Text);
// The same for integers (leading characters other than "+", "-" and digits dropped); raises
// ERtExtractError ("Error during integer extraction"), also for a number beyond 32 bits.
int ExtractInteger(QString& Text);
// The same on the part of Text from Pos on; Pos moves past what was read. For long lists.
double ExtractFloat(QStringView Text, qsizetype& Pos);
int ExtractInteger(QStringView Text, qsizetype& Pos);
// True when only blanks are left from Pos on.
bool OnlyBlanksFrom(QStringView Text, qsizetype Pos);
