// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A popup menu built from a resource description (":/menus/<name>.xml"):
//
//   <menuRoot itemHeight="28" width="138" textOffset="34" iconSize="24" iconPos="2,1"
//             headerPos="10,6" fontSize="12" colorText="#ffffffef" colorBkgnd="#000000"
//             colorBorder="#000000" margin="1" itemSkin=".." sepSkin="..">
//     <menuItem text="Group">                          a submenu; its text is the header
//       <menuItem id="101" icon="skin_.." text=".." fontSize="10"/>
//     </menuItem>
//     <sep/>
//   </menuRoot>
//
// A plain "menu" root takes the same attributes. Items draw the item skin (hover in its second
// state), the icon skin, and the text; separators draw the separator skin.
//
// Thread: the GUI thread. Failure: Load returns null for a description that is missing or does
// not parse; Exec returns 0 when the menu is dismissed.

#include <QColor>
#include <QPoint>
#include <QString>
#include <memory>
#include <vector>

class QAction;
class QMenu;

namespace vtui {

struct MenuLook {
  int itemHeight = 26;
  int width = 0;  // 0: as wide as the widest item
  int textOffset = 8;
  int iconSize = 16;
  QPoint iconPos{4, 5};
  QPoint headerPos{10, 6};
  int fontSize = 12;
  QColor colorText{0xff, 0xff, 0xff, 0xef};
  QColor colorBkgnd{Qt::black};
  QColor colorBorder{Qt::black};
  int margin = 1;
  QString itemSkin;
  QString sepSkin;
};

class SMenuEx {
 public:
  // The menu of a resource name, e.g. "menuex_general".
  static std::unique_ptr<SMenuEx> Load(const QString& name);
  static std::unique_ptr<SMenuEx> LoadFile(const QString& path);
  ~SMenuEx();

  // Shows the menu at a global position and waits for the choice: the chosen item's id, or 0.
  int Exec(QPoint globalPos);

  QMenu* Menu() const { return m_menu.get(); }
  const MenuLook& Look() const { return m_look; }

  // The skins the description names (item, separator and icon skins).
  std::vector<QString> SkinNames() const;

 private:
  SMenuEx() = default;

  MenuLook m_look;
  std::unique_ptr<QMenu> m_menu;
  std::vector<QString> m_skins;
};

}  // namespace vtui
