// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The host window: a frameless, translucent top-level window whose look comes from its
// background skin and its layout's skinned widgets.
//
// A subclass sets its layout up (a compiled form), then calls InitLayout: each widget takes its
// layout name (the form's "name" attribute where several widgets share one, otherwise its
// object name) and every button and check box is bound to the click dispatch. Widgets are found
// by name or by the numeric id of the installed NamedIdTable; a click is handled by the handler
// registered for the widget's name, else by the one for its id.
//
// Thread: the GUI thread. Ownership: the widgets belong to the window (Qt parent).
// Failure: look-ups return null; setting an unknown attribute returns false.

#include <QHash>
#include <QString>
#include <QWidget>
#include <functional>

namespace vtui {

class SHostWnd : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString skin READ skin WRITE setSkin)

 public:
  using CommandHandler = std::function<void(QWidget* sender)>;

  explicit SHostWnd(QWidget* parent = nullptr);

  QString skin() const { return m_skin; }
  void setSkin(const QString& skin);

  // The first widget of that name or id in the window, depth first in layout order.
  QWidget* FindChildByName(QStringView name) const { return FindIn(this, name); }
  QWidget* FindChildById(int id) const { return FindIn(this, id); }
  // The same, as a T: null when there is none or it is not a T.
  template <class T>
  T* FindChildByNameAs(QStringView name) const { return qobject_cast<T*>(FindChildByName(name)); }
  template <class T>
  T* FindChildByIdAs(int id) const { return qobject_cast<T*>(FindChildById(id)); }

  // The same inside one part of a window.
  static QWidget* FindIn(const QWidget* root, QStringView name);
  static QWidget* FindIn(const QWidget* root, int id);

  static QString NameOf(const QWidget* widget);
  static int IdOf(const QWidget* widget);  // 0 for names outside the table

  // Sets an attribute of a widget: "skin", "colorText" or any other attribute the widget has.
  // False for a null widget or an attribute it does not have.
  static bool SetAttribute(QWidget* widget, const char* attribute, const QString& value);

  // The click handlers, by widget name and by widget id.
  void OnCommand(const QString& name, CommandHandler handler) { m_byName.insert(name, std::move(handler)); }
  void OnCommand(int id, CommandHandler handler) { m_byId.insert(id, std::move(handler)); }

  // Handles a click of `sender` as a click on it would: the name's handler, else the id's.
  // False when neither exists.
  bool DispatchCommand(QWidget* sender);

 protected:
  // Call once the layout's widgets exist.
  void InitLayout();
  void paintEvent(QPaintEvent*) override;

 private:
  void BindClicks(QWidget* root);

  QString m_skin;
  QHash<QString, CommandHandler> m_byName;
  QHash<int, CommandHandler> m_byId;
};

}  // namespace vtui
