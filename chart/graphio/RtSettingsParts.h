// The own settings of a graph or a legend as a list of parts, each written and read in the three
// forms by property name: a group of fields, a style block (line, gradient, font) or a string
// list, of the object itself or of a sub-object named by a property or by a child's name
// ("Zoom", "MajorGridHorizontal", "CaptionFont").
//
// Binary: the parts in list order; a part marked as an extension is preceded by a continuation
// byte 1, the whole ends with 0; a reader stops at the first 0. A property or sub-object the
// object lacks is written with its default and read past, so the layout does not depend on the
// class. XML: each part in the element of its path below the object's element ("Caption/Font"),
// parts of one path sharing the element; absent properties and sub-objects are left out. INI:
// the part's keys under its prefix ("Caption.Font.Name", "Zoom.Auto").
#pragma once

#include <QDomElement>
#include <QObject>
#include <QString>

#include <span>

#include "chart/io/RtFieldsIO.h"

class TIniFile;

enum class TRtPartKind { Fields, Line, Gradient, Font, StringList };

struct TRtSettingsPart {
  TRtPartKind Kind;
  // Element path below the object's element, "/" between levels.
  const char* Element;
  // INI key prefix (empty: none).
  const char* IniPrefix;
  // Sub-object (null: the object itself); for a string list the list property.
  const char* Object = nullptr;
  TRtFields Fields = {};
  // Binary: a continuation byte 1 goes before this part.
  bool Extension = false;
};
using TRtSettingsParts = std::span<const TRtSettingsPart>;

// The sub-object of that name: the object a property of that name holds, else the child of that
// object name; null when there is none.
QObject* RtSubObject(const QObject& Object, const char* Name);

void RtWriteParts(TRtStreamWriter& Writer, const QObject& Object, TRtSettingsParts Parts);
// Raises ERtStreamError (ERtError) at the first value that cannot be read.
void RtReadParts(TRtStreamReader& Reader, QObject& Object, TRtSettingsParts Parts);
void RtWriteParts(QDomElement& Element, const QObject& Object, TRtSettingsParts Parts);
// Raises ERtTextConvertError at the first attribute that does not convert.
void RtReadParts(const QDomElement& Element, QObject& Object, TRtSettingsParts Parts);
void RtWriteParts(TIniFile& Ini, const QString& Section, const QObject& Object,
                  TRtSettingsParts Parts);
void RtReadParts(const TIniFile& Ini, const QString& Section, QObject& Object,
                 TRtSettingsParts Parts);
