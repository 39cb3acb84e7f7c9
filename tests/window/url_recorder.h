// Catches the addresses the window hands to the desktop (QDesktopServices::openUrl) for one
// URL scheme, so that tests see what would open without starting a file browser or an editor.
#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

namespace karigane::testing {

class url_recorder : public QObject {
  Q_OBJECT

 public:
  explicit url_recorder(const QString& scheme = QStringLiteral("file")) : scheme_(scheme) {
    QDesktopServices::setUrlHandler(scheme_, this, "open");
  }
  ~url_recorder() override { QDesktopServices::unsetUrlHandler(scheme_); }

  QList<QUrl> urls;

 public slots:
  void open(const QUrl& url) { urls.push_back(url); }

 private:
  QString scheme_;
};

}  // namespace karigane::testing
