// The window of a grid screen (`Rasterformular`): a table whose cursor is
// the model's cursor cell, the status line and the panel below it, the
// buttons of the screen's keys. Typing into a cell opens an editor; Tab,
// Enter, Shift+Tab and the arrow keys hand the typed text to the model and
// move the way the model says; the function keys, Ctrl+N and Esc go to the
// model; the context menu is the model's.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QStyledItemDelegate>
#include <QTableView>
#include <exception>
#include <functional>

#include "suite/raster.h"

class QLabel;

namespace fibu {

class Rasterdialog;

class Rastermodell : public QAbstractTableModel {
  Q_OBJECT
 public:
  Rastermodell(Rasterformular& r, Rasterdialog& d);
  int rowCount(const QModelIndex& eltern = {}) const override;
  int columnCount(const QModelIndex& eltern = {}) const override;
  QVariant data(const QModelIndex& index, int rolle) const override;
  QVariant headerData(int abschnitt, Qt::Orientation richtung, int rolle) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& wert, int rolle) override;
  // After every step of the model: rows added or gone, cells changed.
  void auffrischen();
  bool letzte_eingabe_ok() const { return eingabe_ok_; }

 private:
  Rasterformular& r_;
  Rasterdialog& d_;
  int zeilen_ = 0;
  bool eingabe_ok_ = true;
};

class Rastertabelle : public QTableView {
  Q_OBJECT
 public:
  explicit Rastertabelle(Rasterdialog& d);
  // A key the grid hands to the model; true when it was one.
  bool modelltaste(QKeyEvent* e);
  // An open cell editor hands its text to the model and closes (before a
  // button acts).
  void editor_abschliessen();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hinweis) override;

 private:
  Rasterdialog& d_;
};

class Rasterdialog : public QDialog {
  Q_OBJECT
 public:
  Rasterdialog(Rasterformular& r, QWidget* eltern = nullptr);
  Rasterformular& raster() { return r_; }
  Rastertabelle* tabelle() { return tabelle_; }
  // Runs a step of the model; an exception closes the window and is kept
  // for the caller of exec().
  void sicher(const std::function<void()>& schritt);
  // Shows the model's state: cursor, rows, status line, panel.
  void nachziehen();
  // A key for the model; the window closes when the model says so.
  void taste(Taste t);
  std::exception_ptr fehler() const { return fehler_; }

 protected:
  void reject() override;
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  Rasterformular& r_;
  Rastermodell* modell_;
  Rastertabelle* tabelle_;
  QLabel* status_;
  std::vector<QLabel*> panel_;
  std::exception_ptr fehler_;
  bool schliesst_ = false;
};

}  // namespace fibu
