// The main window of the desktop program. Until a client is opened it shows
// only the program's title.
#pragma once

#include <QMainWindow>

namespace fibu {

class TFFibuView : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFFibuView(QWidget* parent = nullptr);
};

}  // namespace fibu
