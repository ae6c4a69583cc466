#include "chart/io/RtPaths.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStringList>

#include <vector>

namespace {

struct TRoots {
  std::vector<QPointer<QObject>> DataModules;
  std::vector<QPointer<QObject>> Forms;
};

TRoots& Roots() {
  static TRoots roots;
  return roots;
}

void Forget(std::vector<QPointer<QObject>>& List, QObject* Root) {
  std::erase_if(List, [Root](const QPointer<QObject>& p) { return p.isNull() || p == Root; });
}

QObject* FindIn(const std::vector<QPointer<QObject>>& List, const QString& Name) {
  for (const QPointer<QObject>& p : List)
    if (p && p->objectName() == Name) return p.data();
  return nullptr;
}

bool IsTop(const QObject* Object) {
  const QObject* p = Object->parent();
  return p == nullptr || p == QCoreApplication::instance();
}

// Breadth-first through unnamed children: the first named descendant with that name.
QObject* FindOwnedBelow(const QObject* Owner, const QString& Name) {
  std::vector<const QObject*> level{Owner};
  while (!level.empty()) {
    std::vector<const QObject*> next;
    for (const QObject* o : level) {
      for (QObject* c : o->children()) {
        const QString n = c->objectName();
        if (n.isEmpty())
          next.push_back(c);
        else if (n.compare(Name, Qt::CaseInsensitive) == 0)
          return c;
      }
    }
    level.swap(next);
  }
  return nullptr;
}

}  // namespace

QObject* ComponentOwner(const QObject* Object) {
  if (!Object) return nullptr;
  for (QObject* p = Object->parent(); p && p != QCoreApplication::instance(); p = p->parent()) {
    if (!p->objectName().isEmpty()) return p;
    if (IsTop(p)) return nullptr;
  }
  return nullptr;
}

QString ComponentPath(const QObject* Object) {
  if (!Object || Object->objectName().isEmpty()) return {};
  QStringList names{Object->objectName()};
  const QObject* o = Object;
  while (!IsTop(o)) {
    o = o->parent();
    if (!o->objectName().isEmpty())
      names.prepend(o->objectName());
    else if (IsTop(o))
      return {};
  }
  return names.join(QLatin1Char('.'));
}

bool HasFindableRoot(const QObject* Object) {
  if (!Object) return false;
  const QObject* top = Object;
  while (!IsTop(top)) top = top->parent();
  return FindOwnedComponent(nullptr, top->objectName()) == top;
}

QObject* FindOwnedComponent(const QObject* Owner, const QString& Name) {
  if (Name.isEmpty()) return nullptr;
  if (Owner) return FindOwnedBelow(Owner, Name);
  TRoots& r = Roots();
  if (QObject* o = FindIn(r.DataModules, Name)) return o;
  if (QObject* o = FindIn(r.Forms, Name)) return o;
  if (QCoreApplication* app = QCoreApplication::instance()) {
    for (QObject* c : app->children())
      if (c->objectName() == Name) return c;
  }
  return nullptr;
}

QObject* FindComponentByPath(const QString& Path) {
  if (Path.isEmpty()) return nullptr;
  const QStringList parts = Path.split(QLatin1Char('.'));
  QObject* o = FindOwnedComponent(nullptr, parts.first());
  for (qsizetype k = 1; o && k < parts.size(); ++k) o = FindOwnedBelow(o, parts[k]);
  return o;
}

QString PathOwnerPart(const QString& Path) {
  const qsizetype dot = Path.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? QString() : Path.left(dot);
}

QString PathNamePart(const QString& Path) {
  const qsizetype dot = Path.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? Path : Path.mid(dot + 1);
}

QString UniqueComponentName(const QObject* Owner, const QString& Base) {
  for (int k = 1;; ++k) {
    const QString name = Base + QString::number(k);
    if (!FindOwnedComponent(Owner, name)) return name;
  }
}

void RtRegisterDataModule(QObject* Root) {
  RtUnregisterRoot(Root);
  if (Root) Roots().DataModules.emplace_back(Root);
}

void RtRegisterForm(QObject* Root) {
  RtUnregisterRoot(Root);
  if (Root) Roots().Forms.emplace_back(Root);
}

void RtUnregisterRoot(QObject* Root) {
  Forget(Roots().DataModules, Root);
  Forget(Roots().Forms, Root);
}
