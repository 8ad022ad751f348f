// The main window of the desktop program: the title and the menu bar of the
// main window's logic (TFFibu). Until the dialogs have their views, only
// the commands that need no dialog can be chosen; the others are shown
// disabled.
#pragma once

#include <QMainWindow>
#include <map>

namespace fibu {

class TFFibu;
struct Menueeintrag;

class TFFibuView : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFFibuView(TFFibu* fibu = nullptr, QWidget* parent = nullptr);
  // The menu action of a command number; nullptr when it has none.
  QAction* aktion(int nummer) const;

 private:
  void menue_aufbauen();
  void eintrag(QWidget* menue, const Menueeintrag& e);

  TFFibu* fibu_;
  std::map<int, QAction*> aktionen_;
};

}  // namespace fibu
