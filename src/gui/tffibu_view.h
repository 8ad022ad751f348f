// The main window of the desktop program over the main window's logic
// (TFFibu): the title, the menu bar of the command table (hidden entries
// left out, commands without a function shown disabled, the function keys),
// Enter reopening the menu at the last command, the system entries (about
// box, system information, saving the window position), the ending dialog
// when the window closes, and the requests of other programs on the local
// socket.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "suite/ergebnis.h"

class QLabel;
class QMenu;

namespace fibu {

class TFFibu;
class Fensterposition;
class Anfragedienst;
struct Menueeintrag;

class TFFibuView : public QMainWindow {
  Q_OBJECT

 public:
  // `position`: the window-position file of the program, if it has one.
  explicit TFFibuView(TFFibu* fibu = nullptr, Fensterposition* position = nullptr,
                      QWidget* parent = nullptr);
  ~TFFibuView() override;

  // The menu action of a command number (also of a submenu); nullptr when
  // it has none.
  QAction* aktion(int nummer) const;
  QAction* fensterposition_aktion() const { return position_aktion_; }
  QAction* info_aktion() const { return info_aktion_; }

  // Opens the menus down to the last command (what Enter does).
  void menue_am_letzten_befehl();

  // Answers the requests of other programs on the socket path.
  Ergebnis anfragen_bedienen(const std::string& pfad);

 protected:
  void keyPressEvent(QKeyEvent* ereignis) override;
  void closeEvent(QCloseEvent* ereignis) override;
  void showEvent(QShowEvent* ereignis) override;

 private:
  void menue_aufbauen();
  void eintrag(QWidget* menue, const Menueeintrag& e);
  void systemmenue();
  void ausfuehren(int nummer);
  std::string anfrage(const std::string& item, const std::string& text);
  // Runs f; an error is shown, a program end ends the event loop.
  void sicher(const std::function<void()>& f);

  TFFibu* fibu_;
  Fensterposition* position_;
  QLabel* hinweis_;
  QLabel* stand_ = nullptr;  // the status bar's client, year and period
  std::map<int, QAction*> aktionen_;
  QAction* position_aktion_ = nullptr;
  QAction* info_aktion_ = nullptr;
  Anfragedienst* anfragen_ = nullptr;
  bool position_angewendet_ = false;
};

}  // namespace fibu
