// The one dialog that shows any entry form (`TEntryForm`): a label and an
// editor per field (masked line edits for numbers, amounts and dates, check
// boxes for yes/no, combo boxes for choices, read-only fields skipped by the
// cursor), a tab row when the form has pages, and a button per key command
// with its key. Every edit, every field left, every key and every page
// change goes to the form; the dialog only shows what the form then holds.
// Enter moves to the next field; Esc saves and closes unless the form says
// otherwise; closing the window asks the form whether to save changes.
#pragma once

#include <QDialog>
#include <exception>
#include <map>
#include <optional>
#include <vector>

#include "suite/entryform.h"

class QGridLayout;
class QHBoxLayout;
class QPushButton;
class QTabWidget;
class QTabBar;
class QTableWidget;
class QVBoxLayout;

namespace fibu {

class TEntryFormDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TEntryFormDialog(TEntryForm& form, QWidget* parent = nullptr);

  // The editor of field nr (for tests and the view's focus handling).
  QWidget* editor(int nr) const;
  // The button of the form's command `index`.
  QPushButton* knopf(std::size_t index) const;
  QTabWidget* seiten() const { return seiten_; }
  // The form's table, when it has one.
  QTableWidget* tabelle() const { return tabelle_; }

  // The values of the form shown again in the editors (but in `ausser`).
  void auffrischen(std::optional<int> ausser = std::nullopt);

  void reject() override;

  // An exception a form's check or command threw: the dialog closed, and
  // the caller of exec() passes it on (exceptions must not cross Qt's
  // event loop).
  std::exception_ptr fehler() const { return fehler_; }

 protected:
  bool eventFilter(QObject* objekt, QEvent* ereignis) override;
  void showEvent(QShowEvent* ereignis) override;

 private:
  // The parts the constructor puts together.
  int seitenzahl() const;
  std::vector<QGridLayout*> seiten_anlegen(QVBoxLayout* aussen);
  void felder_anlegen(const std::vector<QGridLayout*>& gitter);
  void tabelle_anlegen(QVBoxLayout* aussen);
  QHBoxLayout* knoepfe_anlegen();
  QPushButton* knopf_anlegen(const QString& text);
  QWidget* editor_erzeugen(const TEntryForm::Feld& f);
  // The editor's text handed to the form when it differs from the form's
  // value; false when the form refused it.
  bool uebernehmen(int nr);
  bool aktuelles_uebernehmen();
  void sofort_uebernehmen(int nr);
  std::optional<int> feld_von(QObject* objekt) const;
  std::optional<int> fokussiertes_feld() const;
  bool feld_verlassen(int nr);
  void taste(Taste t);
  void befehl(std::size_t index);
  void reaktion(Reaktion r);
  bool seite_zeigen(int seite);
  void fokus_setzen(int nr);
  void erstes_feld_der_seite(int seite);
  void zelle_geaendert(int zeile, int spalte);

  TEntryForm& form_;
  QTabWidget* seiten_ = nullptr;
  QTableWidget* tabelle_ = nullptr;
  std::map<int, QWidget*> editoren_;
  std::map<QObject*, int> felder_;
  std::vector<class QPushButton*> knoepfe_;
  bool im_modell_ = false;
  bool im_auffrischen_ = false;  // a call into the form runs: focus moves are not field leaves
  std::optional<int> abgelehnt_;  // a field whose typed text the form refused
  bool fertig_ = false;
  std::exception_ptr fehler_;

  // Runs a call into the form; an exception closes the dialog (fehler()).
  template <class F>
  auto geschuetzt(F&& f, decltype(f()) sonst) -> decltype(f());
};

}  // namespace fibu
