// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SMenuEx.h"

#include <QAction>
#include <QFile>
#include <QFontMetrics>
#include <algorithm>
#include <QIcon>
#include <QIconEngine>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QXmlStreamReader>

#include "vtui/SImageButton.h"
#include "vtui/SkinTable.h"
#include "vtui/UiFont.h"
#include "vtui/UiLog.h"

namespace vtui {
namespace {

QPoint ParsePoint(QStringView text, QPoint fallback) {
  const auto parts = text.split(u',');
  if (parts.size() != 2) return fallback;
  return {parts[0].trimmed().toInt(), parts[1].trimmed().toInt()};
}

// Draws the menus of one description: fixed item height and width, skins for items and
// separators, icons at a fixed place, and the look's colours.
class MenuStyle : public QProxyStyle {
 public:
  explicit MenuStyle(const MenuLook& look) : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), m_look(look) {}

  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    switch (metric) {
      case PM_MenuPanelWidth: return 0;
      case PM_MenuHMargin:
      case PM_MenuVMargin: return m_look.margin;
      case PM_SmallIconSize: return m_look.iconSize;
      case PM_SubMenuOverlap: return 0;
      default: return QProxyStyle::pixelMetric(metric, option, widget);
    }
  }

  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override {
    if (type != CT_MenuItem) return QProxyStyle::sizeFromContents(type, option, size, widget);
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (item && item->menuItemType == QStyleOptionMenuItem::Separator) {
      QSize sep = SkinTable::Instance().FrameSize(m_look.sepSkin);
      return {ItemWidth(item), sep.isEmpty() ? 3 : sep.height()};
    }
    return {ItemWidth(item), m_look.itemHeight};
  }

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element == PE_PanelMenu || element == PE_FrameMenu) {
      painter->save();
      painter->fillRect(option->rect, m_look.colorBkgnd);
      painter->setPen(m_look.colorBorder);
      painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
      painter->restore();
      return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    if (element == CE_MenuEmptyArea) {
      painter->fillRect(option->rect, m_look.colorBkgnd);
      return;
    }
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || !item) return QProxyStyle::drawControl(element, option, painter, widget);

    SkinTable& skins = SkinTable::Instance();
    const QRect box = item->rect;
    painter->save();
    painter->fillRect(box, m_look.colorBkgnd);
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
      skins.Draw(*painter, box, m_look.sepSkin, kStateNormal);
      painter->restore();
      return;
    }
    const bool selected = (item->state & State_Selected) && (item->state & State_Enabled);
    skins.Draw(*painter, box, m_look.itemSkin, selected ? kStateHover : kStateNormal);
    painter->setFont(item->font);
    painter->setPen(m_look.colorText);
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
      const QRect text(box.topLeft() + m_look.headerPos, QPoint(box.right() - 16, box.bottom() - m_look.headerPos.y()));
      painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, item->text);
      DrawSubmenuArrow(*painter, box);
    } else {
      if (!item->icon.isNull()) {
        const QRect icon(box.topLeft() + m_look.iconPos, QSize(m_look.iconSize, m_look.iconSize));
        item->icon.paint(painter, icon);
      }
      const QRect text(box.left() + m_look.textOffset, box.top(), box.width() - m_look.textOffset - 4, box.height());
      painter->setFont(Fitted(item->font, item->text, text.width()));
      painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, item->text);
    }
    painter->restore();
  }

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_Menu_Scrollable) return 0;
    if (hint == SH_Menu_SubMenuPopupDelay) return 120;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }

 private:
  // The fixed width was laid out for a narrow face; a wider fallback face is condensed to fit
  // rather than cut.
  static QFont Fitted(QFont font, const QString& text, int width) {
    const int natural = QFontMetrics(font).horizontalAdvance(text);
    if (natural > width && natural > 0) font.setStretch(std::max(60, width * 100 / natural));
    return font;
  }

  int ItemWidth(const QStyleOptionMenuItem*) const { return m_look.width > 0 ? m_look.width - 2 * m_look.margin : 160; }

  void DrawSubmenuArrow(QPainter& painter, const QRect& box) const {
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(m_look.colorText, 1.6);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    const QPointF c(box.right() - 10, box.center().y() + 0.5);
    painter.drawPolyline(QPolygonF({c + QPointF(-2.5, -4.5), c + QPointF(2, 0), c + QPointF(-2.5, 4.5)}));
  }

  MenuLook m_look;
};

// An icon that draws its skin at whatever size the menu asks for, so it stays sharp.
class SkinIconEngine : public QIconEngine {
 public:
  explicit SkinIconEngine(QString skin) : m_skin(std::move(skin)) {}
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
    SkinTable::Instance().Draw(*painter, rect, m_skin, kStateNormal);
  }
  QIconEngine* clone() const override { return new SkinIconEngine(m_skin); }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    paint(&p, pm.rect(), mode, state);
    return pm;
  }

 private:
  QString m_skin;
};

struct Builder {
  MenuLook look;
  std::vector<QString>* skins;
  MenuStyle* style;

  void Items(QXmlStreamReader& xml, QMenu* menu) {
    while (xml.readNextStartElement()) {
      const QXmlStreamAttributes a = xml.attributes();
      if (xml.name() == u"sep") {
        menu->addSeparator();
        xml.skipCurrentElement();
        continue;
      }
      if (xml.name() != u"menuItem" && xml.name() != u"item") {
        xml.skipCurrentElement();
        continue;
      }
      const QString text = a.hasAttribute("text") ? a.value("text").toString() : QString();
      const int fontSize = a.hasAttribute("fontSize") ? a.value("fontSize").toInt() : look.fontSize;
      if (!a.hasAttribute("id")) {
        QMenu* sub = menu->addMenu(text);
        Setup(sub);
        sub->menuAction()->setFont(UiFont(fontSize));
        Items(xml, sub);
        continue;
      }
      QAction* action = menu->addAction(text);
      action->setData(a.value("id").toInt());
      action->setFont(UiFont(fontSize));
      if (a.hasAttribute("icon")) {
        const QString icon = a.value("icon").toString();
        skins->push_back(icon);
        action->setIcon(QIcon(new SkinIconEngine(icon)));
      }
      xml.skipCurrentElement();
    }
  }

  void Setup(QMenu* menu) const {
    menu->setStyle(style);
    menu->setFont(UiFont(look.fontSize));
    menu->setAttribute(Qt::WA_TranslucentBackground, false);
    if (look.width > 0) menu->setFixedWidth(look.width);
  }
};

void ReadLook(const QXmlStreamAttributes& a, MenuLook& look) {
  auto number = [&a](const char* name, int& value) {
    if (a.hasAttribute(name)) value = a.value(name).toInt();
  };
  number("itemHeight", look.itemHeight);
  number("width", look.width);
  number("textOffset", look.textOffset);
  number("iconSize", look.iconSize);
  number("fontSize", look.fontSize);
  number("margin", look.margin);
  look.iconPos = ParsePoint(a.value("iconPos"), look.iconPos);
  look.headerPos = ParsePoint(a.value("headerPos"), look.headerPos);
  if (a.hasAttribute("colorText")) look.colorText = ParseColor(a.value("colorText").toString());
  if (a.hasAttribute("colorBkgnd")) look.colorBkgnd = ParseColor(a.value("colorBkgnd").toString());
  if (a.hasAttribute("colorBorder")) look.colorBorder = ParseColor(a.value("colorBorder").toString());
  look.itemSkin = a.value("itemSkin").toString();
  look.sepSkin = a.value("sepSkin").toString();
}

}  // namespace

std::unique_ptr<SMenuEx> SMenuEx::Load(const QString& name) {
  return LoadFile(QStringLiteral(":/menus/%1.xml").arg(name));
}

std::unique_ptr<SMenuEx> SMenuEx::LoadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    qCWarning(lcUi) << "menu does not open:" << path;
    return nullptr;
  }
  std::unique_ptr<SMenuEx> result(new SMenuEx);
  QXmlStreamReader xml(&file);
  if (!xml.readNextStartElement() || (xml.name() != u"menuRoot" && xml.name() != u"menu")) {
    qCWarning(lcUi) << "not a menu description:" << path;
    return nullptr;
  }
  ReadLook(xml.attributes(), result->m_look);
  result->m_menu = std::make_unique<QMenu>();
  auto* style = new MenuStyle(result->m_look);
  style->setParent(result->m_menu.get());
  Builder builder{result->m_look, &result->m_skins, style};
  builder.Setup(result->m_menu.get());
  builder.Items(xml, result->m_menu.get());
  if (xml.hasError()) {
    qCWarning(lcUi) << "menu does not parse:" << path << xml.errorString();
    return nullptr;
  }
  for (const QString& skin : {result->m_look.itemSkin, result->m_look.sepSkin}) {
    if (!skin.isEmpty()) result->m_skins.push_back(skin);
  }
  return result;
}

SMenuEx::~SMenuEx() = default;

int SMenuEx::Exec(QPoint globalPos) {
  QAction* chosen = m_menu->exec(globalPos);
  return chosen ? chosen->data().toInt() : 0;
}

std::vector<QString> SMenuEx::SkinNames() const { return m_skins; }

}  // namespace vtui
