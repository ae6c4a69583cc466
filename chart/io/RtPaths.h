// Component paths: the names of an object and of its owners joined by "." from the outermost
// owner below the application down to the object ("FormZenkar2.RtLinearRegression1").
//
// Owner = parent. A parent without a name (a layout container, a splitter) is no owner: the
// object belongs to the nearest named ancestor. A path is empty when the object is missing, has
// no name, or its outermost ancestor has none.
//
// The first segment of a path names a root: a registered data module (searched first) or a
// registered form, else an object owned by the application object; compared case-sensitively.
// Each further segment names a component owned by the previous one, compared ignoring case.
#pragma once

#include <QObject>
#include <QString>

QString ComponentPath(const QObject* Object);
// The object the path names, or null as soon as a segment is not found.
QObject* FindComponentByPath(const QString& Path);

// Text before the last ".", and after it (the whole path when it has no ".").
QString PathOwnerPart(const QString& Path);
QString PathNamePart(const QString& Path);

// True when the outermost ancestor of Object is a root that paths start from (so that a path of
// Object can be found again, names being unique within each owner).
bool HasFindableRoot(const QObject* Object);
// The owner of Object: its nearest named ancestor, or null at a root.
QObject* ComponentOwner(const QObject* Object);
// The component of that name owned by Owner (ignoring case), or null; with Owner null, the root
// of that name.
QObject* FindOwnedComponent(const QObject* Owner, const QString& Name);
// Base followed by 1, 2, ... until Owner has no component of that name.
QString UniqueComponentName(const QObject* Owner, const QString& Base);

// Roots that paths start from. An object is forgotten when it is destroyed.
void RtRegisterDataModule(QObject* Root);
void RtRegisterForm(QObject* Root);
void RtUnregisterRoot(QObject* Root);
