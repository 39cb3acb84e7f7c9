// Opening the main window: see main_window_launch.h.
#include "window/main_window_launch.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "run/program_folder.h"
#include "window/main_window.h"
#include "window/qt_japanese.h"

namespace karigane {
namespace {

bool env_set(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0';
}

// The program's icon (the same drawing as data/karigane.svg): a rising chart line in a square.
QIcon program_icon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 64.0;
    p.setPen(QPen(QColor(0x1a, 0x3a, 0x8c), 3 * s));
    p.setBrush(QColor(0xf4, 0xf7, 0xfc));
    p.drawRoundedRect(QRectF(4 * s, 4 * s, 56 * s, 56 * s), 6 * s, 6 * s);
    QPen line(QColor(0xd0, 0x20, 0x20), 5 * s);
    line.setJoinStyle(Qt::RoundJoin);
    line.setCapStyle(Qt::RoundCap);
    p.setPen(line);
    const QPointF points[] = {
        {12 * s, 46 * s}, {24 * s, 34 * s}, {33 * s, 40 * s}, {43 * s, 24 * s}, {52 * s, 16 * s}};
    p.drawPolyline(points, 5);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

// Qt reports a display it cannot open with a fatal message and several lines of advice about
// platform plugins, then aborts. Until the window is up, that becomes one line and exit 2.
bool g_window_open = false;

void startup_messages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  const bool platform = context.category != nullptr && std::strncmp(context.category, "qt.qpa", 6) == 0;
  if (type == QtFatalMsg && !g_window_open) {
    std::fputs("karigane: このディスプレイにはウィンドウを開けません（DISPLAY か WAYLAND_DISPLAY "
               "をご確認ください）。コマンドラインはディスプレイなしで使えます: karigane --help\n",
               stderr);
    std::fflush(stderr);
    std::_Exit(2);
  }
  if (platform && !g_window_open) return;  // the fatal message above says it once
  const QByteArray line = text.toLocal8Bit();
  std::fprintf(stderr, "%s\n", line.constData());
}

// Japanese text needs a font that has it: a default font without kanji shows boxes. Families
// that are known to look right come first.
void choose_japanese_font() {
  const QChar kanji(0x682A);  // 株
  if (QFontMetrics(QApplication::font()).inFontUcs4(kanji.unicode())) return;
  const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
  for (const char* preferred : {"Noto Sans CJK JP", "Noto Sans JP", "IPAexGothic", "IPAGothic",
                                "TakaoGothic", "VL Gothic"}) {
    const QString family = QString::fromLatin1(preferred);
    if (japanese.contains(family)) {
      QFont font = QApplication::font();
      font.setFamily(family);
      QApplication::setFont(font);
      return;
    }
  }
  if (!japanese.isEmpty()) {
    QFont font = QApplication::font();
    font.setFamily(japanese.front());
    QApplication::setFont(font);
    return;
  }
  std::fputs("karigane: 日本語のフォントが見つかりません。文字が四角で表示されることがあります"
             "（fonts-noto-cjk を入れてください）。\n",
             stderr);
}

}  // namespace

bool display_available() {
  return env_set("DISPLAY") || env_set("WAYLAND_DISPLAY") || env_set("QT_QPA_PLATFORM");
}

int run_main_window(int argc, char** argv, const std::string& dir) {
  if (!display_available()) {
    std::fputs(
        "karigane: ウィンドウを開くディスプレイがありません（DISPLAY、WAYLAND_DISPLAY、"
        "QT_QPA_PLATFORM のどれも設定されていません）。コマンドラインはディスプレイなしで使えます: "
        "karigane --help\n",
        stderr);
    return 2;
  }
  qInstallMessageHandler(startup_messages);
  QApplication app(argc, argv);
  g_window_open = true;
  choose_japanese_font();
  use_qt_japanese();
  QApplication::setApplicationName(QStringLiteral("karigane"));
  QApplication::setApplicationDisplayName(QString::fromUtf8(kProductTitle));
  QApplication::setDesktopFileName(QStringLiteral("karigane"));
  QApplication::setWindowIcon(program_icon());

  main_window_setup setup;
  setup.program_folder = absolute_folder(dir);
  setup.factory_folder = find_factory_folder();
  if (const char* env = std::getenv("KARIGANE_NOW"); env != nullptr && *env != '\0') {
    setup.fixed_now = parse_local_time(env);
  }
  setup.set_up_folder = true;

  main_window window(setup);
  window.show();
  return QApplication::exec();
}

}  // namespace karigane
