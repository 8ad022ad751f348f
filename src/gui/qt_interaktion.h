// The interaction interface on screen: modal German message boxes and
// questions, the progress window (Esc stops the run), the print target
// dialog with preview, printer, PDF and text file, every entry form through
// the one generic dialog and every pick list through the list dialog.
#pragma once

#include <QPointer>
#include <memory>
#include <optional>

#include "gui/druckdialog.h"
#include "suite/dateisystem.h"
#include "suite/interaktion.h"

class QWidget;
class QDialog;

namespace fibu {

class Fortschrittsfenster;

class QtInteraktion : public Interaktion {
 public:
  explicit QtInteraktion(Dateisystem& fs, QWidget* hauptfenster = nullptr);
  ~QtInteraktion() override;

  void setze_hauptfenster(QWidget* fenster) { hauptfenster_ = fenster; }

  void ShowMessageMain(const std::string& text) override;
  void ShowMessageParent(const std::string& text) override;
  bool JaNein2(const std::string& frage) override;
  Antwort JaNeinHilfe(const std::string& frage) override;

  void Balken_Oeffnen(const std::string& text, long maximum) override;
  void Balken_Max(long maximum) override;
  void Balken_Text(const std::string& text) override;
  void Balken_Inc(long schritte) override;
  void Balken_Schliessen() override;
  bool EscPressed() override;
  // The open progress window, if any.
  QDialog* fortschrittsfenster() const;

  bool drucker_waehlen(Druckauftrag& auftrag) override;
  void drucken(const Druckauftrag& auftrag) override;
  // A fixed target instead of the dialog (scripts, tests); nullopt asks again.
  void druckziel_vorgeben(std::optional<Druckwahl> wahl) { vorgabe_ = std::move(wahl); }
  const Druckwahl& druckwahl() const { return wahl_; }

  bool formular(TEntryForm& form) override;
  std::optional<Browsereintrag> auswahl(Tmybrowser& liste) override;
  // A grid screen in its window (`Rasterdialog`).
  void raster(Rasterformular& r) override;

 private:
  // The window in front: the modal dialog, else the active window, else
  // the main window.
  QWidget* vorne() const;
  void meldung(QWidget* eltern, const std::string& text);

  Dateisystem& fs_;
  QPointer<QWidget> hauptfenster_;
  std::unique_ptr<Fortschrittsfenster> balken_;
  std::optional<Druckwahl> vorgabe_;
  Druckwahl wahl_;
};

}  // namespace fibu
