// Element and attribute helpers of the XML form: numbers with ".", booleans "true"/"false",
// colours by name or "$AARRGGBB". A reader gets the current value back when an attribute is
// missing and raises ERtTextConvertError when its text does not convert.
#pragma once

#include <QDomElement>
#include <QString>

#include <cstdint>

namespace RtXml {

// A new child element of Parent.
QDomElement AddChild(QDomNode Parent, const QString& Name);
// The first child element (with that name, when given), or a null element.
QDomElement FirstChild(const QDomElement& Parent, const QString& Name = {});
// The element's own text.
QString Text(const QDomElement& Element);
// A child element Name holding Value as its text.
QDomElement AddTextChild(QDomNode Parent, const QString& Name, const QString& Value);

void SetString(QDomElement& Element, const QString& Name, const QString& Value);
void SetInteger(QDomElement& Element, const QString& Name, int Value);
void SetBool(QDomElement& Element, const QString& Name, bool Value);
void SetFloat(QDomElement& Element, const QString& Name, double Value);
void SetColor(QDomElement& Element, const QString& Name, std::uint32_t Argb);

QString String(const QDomElement& Element, const QString& Name, const QString& Current);
int Integer(const QDomElement& Element, const QString& Name, int Current);
bool Bool(const QDomElement& Element, const QString& Name, bool Current);
double Float(const QDomElement& Element, const QString& Name, double Current);
std::uint32_t Color(const QDomElement& Element, const QString& Name, std::uint32_t Current);

}  // namespace RtXml
