// render-icon <svg> <size> <png>: renders an SVG square into a PNG of size x size pixels, for
// the icon sizes desktops look for. Exit status 1 when the SVG cannot be read or the PNG written.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: render-icon SVG SIZE PNG\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  const int size = QString::fromLatin1(argv[2]).toInt();
  if (!svg.isValid() || size <= 0) return 1;
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  svg.render(&painter);
  painter.end();
  return image.save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}
