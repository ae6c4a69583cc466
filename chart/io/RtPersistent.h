// What a chart object offers to be written and read back in the three forms: the binary
// stream, an XML element and an INI section. The file forms and the in-memory binary image are
// built on the stream form here, once for every class.
//
// A class implements the six operations; a container (a graph) writes its parts by calling
// theirs. XML: WriteTo appends the object's own element to Parent (an element, or a document
// that is not null), ReadFrom gets that element.
// Reading applies each value through its setter and stops at the first value that cannot be
// read, raising ERtError with what was read so far applied.
#pragma once

#include <QByteArray>
#include <QDomElement>
#include <QString>

class TIniFile;
class TRtStreamReader;
class TRtStreamWriter;

class IRtPersistent {
 public:
  virtual ~IRtPersistent() = default;

  virtual void WriteTo(TRtStreamWriter& Writer) const = 0;
  virtual void ReadFrom(TRtStreamReader& Reader) = 0;
  virtual void WriteTo(QDomNode Parent) const = 0;
  virtual void ReadFrom(const QDomElement& Element) = 0;
  virtual void WriteTo(TIniFile& Ini, const QString& Section) const = 0;
  virtual void ReadFrom(const TIniFile& Ini, const QString& Section) = 0;
};

// The stream form into a new file, replacing an old one only when all is written; raises
// ERtFileError ("Cannot create file ...") when it cannot be written.
void RtWriteToFile(const IRtPersistent& Object, const QString& FileName);
// The stream form from a file opened read-only; raises ERtFileError ("Cannot open file ...").
void RtReadFromFile(IRtPersistent& Object, const QString& FileName);

// The stream form in memory, and back.
QByteArray RtBinaryImage(const IRtPersistent& Object);
void RtReadBinaryImage(IRtPersistent& Object, const QByteArray& Image);
