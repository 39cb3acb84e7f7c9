// `karigane chart`: see chart_window_launch.h.
#include "window/chart_window_launch.h"

#include <QApplication>
#include <cstdio>

#include "window/chart_view.h"
#include "window/chart_window.h"
#include "window/main_window_launch.h"

namespace karigane {

int run_chart_command(int argc, char** argv, const program_layout& layout,
                      const chart_request& request, const std::string& png_path) {
  if (png_path.empty() && !display_available()) {
    std::fputs("karigane: チャートを表示するディスプレイがありません（--out FILE.png で画像に"
               "できます）。\n", stderr);
    return 2;
  }
  if (!png_path.empty() && !display_available()) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("karigane"));
  if (!png_path.empty()) {
    chart_series series;
    std::string message;
    if (load_chart_series(layout, request, series, message) != chart_load::ok) {
      std::fprintf(stderr, "karigane: %s\n", message.c_str());
      return 1;
    }
    if (!render_chart_png(series, QString::fromStdString(png_path), 1200, 700)) {
      std::fprintf(stderr, "karigane: ファイルを書き込めません: %s\n", png_path.c_str());
      return 1;
    }
    return 0;
  }
  chart_window window(layout, request);
  window.show();
  return QApplication::exec();
}

}  // namespace karigane
