#include "chart/io/RtXml.h"

#include <QDomDocument>

#include "chart/io/RtColors.h"
#include "chart/io/RtText.h"

namespace RtXml {

QDomElement AddChild(QDomNode Parent, const QString& Name) {
  QDomDocument doc = Parent.isDocument() ? Parent.toDocument() : Parent.ownerDocument();
  return Parent.appendChild(doc.createElement(Name)).toElement();
}

QDomElement FirstChild(const QDomElement& Parent, const QString& Name) {
  return Parent.firstChildElement(Name);
}

QString Text(const QDomElement& Element) {
  return Element.text();
}

QDomElement AddTextChild(QDomNode Parent, const QString& Name, const QString& Value) {
  QDomElement e = AddChild(Parent, Name);
  e.appendChild(e.ownerDocument().createTextNode(Value));
  return e;
}

void SetString(QDomElement& Element, const QString& Name, const QString& Value) {
  Element.setAttribute(Name, Value);
}
void SetInteger(QDomElement& Element, const QString& Name, int Value) {
  Element.setAttribute(Name, QString::number(Value));
}
void SetBool(QDomElement& Element, const QString& Name, bool Value) {
  Element.setAttribute(Name, BoolToText(Value));
}
void SetFloat(QDomElement& Element, const QString& Name, double Value) {
  Element.setAttribute(Name, FloatToText(Value));
}
void SetColor(QDomElement& Element, const QString& Name, std::uint32_t Argb) {
  Element.setAttribute(Name, ColorToText(Argb));
}

QString String(const QDomElement& Element, const QString& Name, const QString& Current) {
  return Element.hasAttribute(Name) ? Element.attribute(Name) : Current;
}
int Integer(const QDomElement& Element, const QString& Name, int Current) {
  return Element.hasAttribute(Name) ? TextToInteger(Element.attribute(Name)) : Current;
}
bool Bool(const QDomElement& Element, const QString& Name, bool Current) {
  return Element.hasAttribute(Name) ? TextToBool(Element.attribute(Name)) : Current;
}
double Float(const QDomElement& Element, const QString& Name, double Current) {
  return Element.hasAttribute(Name) ? TextToFloat(Element.attribute(Name)) : Current;
}
std::uint32_t Color(const QDomElement& Element, const QString& Name, std::uint32_t Current) {
  return Element.hasAttribute(Name) ? TextToColor(Element.attribute(Name)) : Current;
}

}  // namespace RtXml
