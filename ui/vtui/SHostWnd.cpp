// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SHostWnd.h"

#include <QAbstractButton>
#include <QPainter>
#include <QVariant>

#include "vtui/NamedIdTable.h"
#include "vtui/SkinTable.h"
#include "vtui/UiLog.h"

namespace vtui {
namespace {

// A form cannot give two widgets one object name, so widgets that share a layout name carry
// it as the dynamic property "name".
void TakeLayoutNames(QWidget* root) {
  for (QWidget* widget : root->findChildren<QWidget*>()) {
    const QVariant name = widget->property("name");
    if (name.isValid() && !name.toString().isEmpty()) widget->setObjectName(name.toString());
  }
}

template <class Match>
QWidget* FindDepthFirst(const QWidget* root, Match match) {
  for (QObject* child : root->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (!widget || widget->isWindow()) continue;
    if (match(widget)) return widget;
    if (QWidget* found = FindDepthFirst(widget, match)) return found;
  }
  return nullptr;
}

}  // namespace

SHostWnd::SHostWnd(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setAttribute(Qt::WA_TranslucentBackground);
}

void SHostWnd::setSkin(const QString& skin) {
  m_skin = skin;
  update();
}

QWidget* SHostWnd::FindIn(const QWidget* root, QStringView name) {
  if (!root || name.isEmpty()) return nullptr;
  return FindDepthFirst(root, [name](QWidget* w) { return w->objectName() == name; });
}

QWidget* SHostWnd::FindIn(const QWidget* root, int id) {
  const QString name = NamedIdTable::NameOf(id);
  return name.isEmpty() ? nullptr : FindIn(root, name);
}

QString SHostWnd::NameOf(const QWidget* widget) { return widget ? widget->objectName() : QString(); }

int SHostWnd::IdOf(const QWidget* widget) { return widget ? NamedIdTable::IdOf(widget->objectName()) : 0; }

bool SHostWnd::SetAttribute(QWidget* widget, const char* attribute, const QString& value) {
  if (!widget) return false;
  const QMetaObject* meta = widget->metaObject();
  if (meta->indexOfProperty(attribute) < 0) {
    qCWarning(lcUi) << "widget" << widget->objectName() << "has no attribute" << attribute;
    return false;
  }
  return widget->setProperty(attribute, value);
}

bool SHostWnd::DispatchCommand(QWidget* sender) {
  if (!sender) return false;
  if (auto it = m_byName.constFind(NameOf(sender)); it != m_byName.constEnd()) {
    it.value()(sender);
    return true;
  }
  if (auto it = m_byId.constFind(IdOf(sender)); it != m_byId.constEnd()) {
    it.value()(sender);
    return true;
  }
  return false;
}

void SHostWnd::InitLayout() {
  TakeLayoutNames(this);
  BindClicks(this);
}

void SHostWnd::BindClicks(QWidget* root) {
  for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
    connect(button, &QAbstractButton::clicked, this, [this, button] { DispatchCommand(button); });
  }
}

void SHostWnd::paintEvent(QPaintEvent*) {
  if (m_skin.isEmpty()) return;
  QPainter painter(this);
  SkinTable::Instance().Draw(painter, rect(), m_skin, kStateNormal);
}

}  // namespace vtui
