// Where a print job goes: the dialog "Drucken" that chooses the target
// (preview on screen, printer, PDF file, text file) and the page orientation,
// and the preview window that pages through a job and can send it on to the
// printer or a PDF file.
#pragma once

#include <QDialog>
#include <string>

#include "gui/druckbild.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPrintPreviewWidget;
class QPrinter;

namespace fibu {

struct Druckwahl {
  Druckziel ziel = Druckziel::Vorschau;
  Seitenformat format;
  std::string datei;  // PDF or text file
};

class DruckzielDialog : public QDialog {
  Q_OBJECT

 public:
  // `vorher`: the last choice, preset; the file name follows the job.
  DruckzielDialog(const Druckauftrag& auftrag, const Druckwahl& vorher, QWidget* parent = nullptr);
  Druckwahl wahl() const;

  void accept() override;

 private:
  void ziel_geaendert();

  QButtonGroup* ziele_;
  QCheckBox* quer_;
  QLineEdit* datei_;
  QWidget* dateizeile_;
  std::string verzeichnis_;
  std::string name_;
};

// Prints the job on a printer chosen in the system's print dialog; false
// when the user cancelled it.
bool auf_drucker(const Druckauftrag& auftrag, const Seitenformat& format, QWidget* parent);

class DruckVorschau : public QDialog {
  Q_OBJECT

 public:
  DruckVorschau(const Druckauftrag& auftrag, const Seitenformat& format, QWidget* parent = nullptr);
  ~DruckVorschau() override;

  int seitenzahl() const;
  int aktuelle_seite() const;  // from 1
  QPrintPreviewWidget* vorschau() const { return vorschau_; }

 private:
  void tasten();
  void zeige(int seite);
  void als_pdf();

  const Druckauftrag& auftrag_;
  Seitenformat format_;
  QPrinter* drucker_;
  QPrintPreviewWidget* vorschau_;
  QLabel* seitenanzeige_;
};

}  // namespace fibu
