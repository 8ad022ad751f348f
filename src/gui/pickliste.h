// Pick lists (`winpicklist`) on screen: the lines of a `Tmybrowser`, fetched
// a page at a time around the visible part, so a list over a hundred
// thousand records opens at once. Typing positions the list on the first
// entry at or after the typed text (the source's search key); Backspace
// takes a character back, Home and End go to the ends, Enter chooses, Esc
// cancels.
#pragma once

#include <QAbstractListModel>
#include <QDialog>
#include <deque>
#include <exception>
#include <optional>

#include "suite/browser.h"

class QLabel;
class QListView;

namespace fibu {

class Browsermodell : public QAbstractListModel {
  Q_OBJECT

 public:
  static constexpr std::size_t seite = 100;

  explicit Browsermodell(Tmybrowser& liste, QObject* parent = nullptr);

  int rowCount(const QModelIndex& eltern = {}) const override;
  QVariant data(const QModelIndex& index, int rolle) const override;
  bool canFetchMore(const QModelIndex& eltern) const override;
  void fetchMore(const QModelIndex& eltern) override;

  // Loads the entries around the first key not less than `schluessel` and
  // returns its row (the last row when every key is less).
  int positionieren(const std::string& schluessel);
  // Loads the last page of the source; the row of its last entry.
  int ans_ende();
  // Loads the page before the first loaded entry; the number of rows added.
  int davor_laden();
  bool am_anfang() const { return anfang_; }
  const Browsereintrag& eintrag(int zeile) const { return eintraege_[static_cast<std::size_t>(zeile)]; }
  // Entries fetched from the source so far (the list never holds more than
  // it was asked to show).
  std::size_t geholt() const { return geholt_; }
  // An exception of the source: the list shows nothing more, the caller
  // of the dialog passes it on.
  std::exception_ptr fehler() const { return fehler_; }

 private:
  // Entries from the source; none after an exception.
  template <class F>
  std::vector<Browsereintrag> holen(F&& f);

  Tmybrowser& liste_;
  std::deque<Browsereintrag> eintraege_;
  bool anfang_ = false;  // nothing before the first entry
  bool ende_ = false;    // nothing after the last entry
  std::size_t geholt_ = 0;
  std::exception_ptr fehler_;
};

class Picklistendialog : public QDialog {
  Q_OBJECT

 public:
  explicit Picklistendialog(Tmybrowser& liste, QWidget* parent = nullptr);
  std::optional<Browsereintrag> gewaehlt() const { return gewaehlt_; }
  Browsermodell& modell() { return *modell_; }
  QListView* ansicht() const { return ansicht_; }
  const QString& suchtext() const { return such_; }

 protected:
  bool eventFilter(QObject* objekt, QEvent* ereignis) override;

 private:
  void suchen();
  void waehlen();
  void oben_nachladen();

  Tmybrowser& liste_;
  Browsermodell* modell_;
  QListView* ansicht_;
  QLabel* suchzeile_;
  QString such_;
  std::optional<Browsereintrag> gewaehlt_;
};

}  // namespace fibu
