// SPDX-License-Identifier: GPL-3.0-or-later
// render-icon <svg> <size> <png>: renders an SVG into a PNG of size x size pixels, for the icon
// sizes desktops look for; a size of the form WIDTHxHEIGHT gives an image of that shape. Exit
// status 1 when the SVG cannot be read, the size is not a size or the PNG cannot be written.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: render-icon SVG SIZE|WIDTHxHEIGHT PNG\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  const QStringList size = QString::fromLatin1(argv[2]).split(QLatin1Char('x'));
  const int width = size.value(0).toInt();
  const int height = size.size() == 2 ? size.value(1).toInt() : size.size() == 1 ? width : 0;
  if (!svg.isValid() || width <= 0 || height <= 0) return 1;
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  svg.render(&painter);
  painter.end();
  return image.save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}
