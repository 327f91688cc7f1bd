// SPDX-License-Identifier: GPL-3.0-or-later
// screenshot <png>: saves the whole screen of $DISPLAY as a PNG (for scripts/run on a virtual
// display). Exit status 1 when there is no screen or the file cannot be written.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: screenshot PNG\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 1;
  return screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
