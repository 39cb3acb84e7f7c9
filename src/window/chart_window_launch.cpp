// `karigane chart`: see chart_window_launch.h.
#include "window/chart_window_launch.h"

#include <QApplication>
#include <cstdio>

#include "window/chart_view.h"
#include "window/chart_window.h"
#include "window/main_window_launch.h"
#include "window/qt_japanese.h"

namespace karigane {
namespace {

// Qt's notes on its own setup (no runtime folder, a font fallback, a platform's limits) are
// not the picture's business; a critical or fatal message is.
void critical_messages_only(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtCriticalMsg && type != QtFatalMsg) return;
  std::fprintf(stderr, "karigane: %s\n", message.toLocal8Bit().constData());
}

}  // namespace

int run_chart_command(int argc, char** argv, const program_layout& layout,
                      const chart_request& request, const std::string& out_path) {
  if (out_path.empty() && !display_available()) {
    std::fputs(
        "karigane: チャートを表示するディスプレイがありません（--out FILE.png で画像に"
        "できます）。\n",
        stderr);
    return 2;
  }
  if (out_path.empty()) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("karigane"));
    use_qt_japanese();
    chart_window window(layout, request);
    window.show();
    return QApplication::exec();
  }
  const std::optional<picture_format> format = picture_format_of(out_path);
  if (!format) {
    std::fprintf(stderr, "karigane: %s\n", unknown_picture_format_message(out_path).c_str());
    return 2;
  }
  qInstallMessageHandler(critical_messages_only);
  if (!display_available()) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("karigane"));
  chart_series series;
  std::string message;
  if (load_chart_series(layout, request, series, message) != chart_load::ok) {
    std::fprintf(stderr, "karigane: %s\n", message.c_str());
    return 1;
  }
  if (!render_chart_picture(series, QString::fromStdString(out_path), *format, 1200, 700)) {
    std::fprintf(stderr, "karigane: ファイルを書き込めません: %s\n", out_path.c_str());
    return 1;
  }
  return 0;
}

}  // namespace karigane
