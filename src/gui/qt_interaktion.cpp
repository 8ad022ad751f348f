#include "gui/qt_interaktion.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/formulardialog.h"
#include "gui/pickliste.h"
#include "gui/rasterdialog.h"

namespace fibu {
namespace {

const QString programmtitel = QStringLiteral("Finanzbuchhaltung");

// "\r" breaks a message into lines.
QString zeilen(const std::string& text) {
  return QString::fromStdString(text).replace('\r', '\n');
}

}  // namespace

// The progress window: a text, a bar, and Esc (or the button) that asks the
// running loop to stop.
class Fortschrittsfenster : public QDialog {
 public:
  explicit Fortschrittsfenster(QWidget* eltern) : QDialog(eltern) {
    setWindowTitle(programmtitel);
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    text_ = new QLabel(this);
    balken_ = new QProgressBar(this);
    balken_->setMinimumWidth(360);
    auto* abbrechen = new QPushButton(QStringLiteral("Abbrechen  [Esc]"), this);
    abbrechen->setAutoDefault(false);
    connect(abbrechen, &QPushButton::clicked, this, [this] { abbruch_ = true; });
    layout->addWidget(text_);
    layout->addWidget(balken_);
    layout->addWidget(abbrechen, 0, Qt::AlignRight);
    uhr_.start();
  }

  void text(const std::string& t) { text_->setText(zeilen(t)); }
  void maximum(long m) {
    max_ = m;
    zeigen();
  }
  void schritt(long n) {
    stand_ += n;
    if (uhr_.elapsed() >= 40) {
      zeigen();
      ereignisse();
    }
  }
  bool abgebrochen() {
    if (uhr_.elapsed() >= 40) ereignisse();
    return abbruch_;
  }
  void ereignisse() {
    uhr_.restart();
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Escape)
      abbruch_ = true;
    else
      QDialog::keyPressEvent(e);
  }
  void reject() override { abbruch_ = true; }

 private:
  void zeigen() {
    // QProgressBar counts in int; large runs are shown in thousandths.
    balken_->setRange(0, max_ > 0 ? 1000 : 0);
    if (max_ > 0)
      balken_->setValue(static_cast<int>(1000.0 * static_cast<double>(std::min(stand_, max_)) /
                                         static_cast<double>(max_)));
  }

  QLabel* text_;
  QProgressBar* balken_;
  qint64 max_ = 0, stand_ = 0;
  bool abbruch_ = false;
  QElapsedTimer uhr_;
};

QtInteraktion::QtInteraktion(Dateisystem& fs, QWidget* hauptfenster)
    : fs_(fs), hauptfenster_(hauptfenster) {}

QtInteraktion::~QtInteraktion() = default;

QWidget* QtInteraktion::vorne() const {
  if (QWidget* w = QApplication::activeModalWidget()) return w;
  if (QWidget* w = QApplication::activeWindow()) return w;
  return hauptfenster_.data();
}

void QtInteraktion::meldung(QWidget* eltern, const std::string& text) {
  QMessageBox box(QMessageBox::Information, programmtitel, zeilen(text), QMessageBox::Ok, eltern);
  box.exec();
}

void QtInteraktion::ShowMessageMain(const std::string& text) {
  meldung(hauptfenster_ ? hauptfenster_.data() : vorne(), text);
}

void QtInteraktion::ShowMessageParent(const std::string& text) { meldung(vorne(), text); }

bool QtInteraktion::JaNein2(const std::string& frage) {
  QMessageBox box(QMessageBox::Question, programmtitel, zeilen(frage), QMessageBox::NoButton,
                  vorne());
  QPushButton* ja = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
  box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
  box.setDefaultButton(ja);
  box.exec();
  return box.clickedButton() == ja;
}

Antwort QtInteraktion::JaNeinHilfe(const std::string& frage) {
  QMessageBox box(QMessageBox::Question, programmtitel, zeilen(frage), QMessageBox::NoButton,
                  vorne());
  QPushButton* ja = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
  QPushButton* nein = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
  box.addButton(QStringLiteral("&Hilfe"), QMessageBox::HelpRole);
  box.setDefaultButton(ja);
  box.exec();
  if (box.clickedButton() == ja) return Antwort::Ja;
  if (box.clickedButton() == nein) return Antwort::Nein;
  return Antwort::Hilfe;
}

void QtInteraktion::Balken_Oeffnen(const std::string& text, long maximum) {
  // Owned here and over the main window, which outlives every dialog.
  balken_.reset();
  balken_ = std::make_unique<Fortschrittsfenster>(hauptfenster_.data());
  balken_->text(text);
  balken_->maximum(maximum);
  balken_->show();
  balken_->ereignisse();
}

void QtInteraktion::Balken_Max(long maximum) {
  if (balken_) balken_->maximum(maximum);
}

void QtInteraktion::Balken_Text(const std::string& text) {
  if (!balken_) return;
  balken_->text(text);
  balken_->ereignisse();
}

void QtInteraktion::Balken_Inc(long schritte) {
  if (balken_) balken_->schritt(schritte);
}

void QtInteraktion::Balken_Schliessen() { balken_.reset(); }

bool QtInteraktion::EscPressed() { return balken_ && balken_->abgebrochen(); }

QDialog* QtInteraktion::fortschrittsfenster() const { return balken_.get(); }

bool QtInteraktion::drucker_waehlen(Druckauftrag& auftrag) {
  if (vorgabe_) {
    wahl_ = *vorgabe_;
  } else {
    DruckzielDialog dialog(auftrag, wahl_, vorne());
    if (dialog.exec() != QDialog::Accepted) return false;
    wahl_ = dialog.wahl();
  }
  auftrag.ziel = wahl_.ziel;
  return true;
}

void QtInteraktion::drucken(const Druckauftrag& auftrag) {
  switch (wahl_.ziel) {
    case Druckziel::Vorschau: {
      DruckVorschau vorschau(auftrag, wahl_.format, vorne());
      vorschau.exec();
      break;
    }
    case Druckziel::Drucker:
      auf_drucker(auftrag, wahl_.format, vorne());
      break;
    case Druckziel::Pdf:
      if (Ergebnis e = pdf_schreiben(auftrag, wahl_.datei, wahl_.format); !e)
        ShowMessageParent(e.text());
      break;
    case Druckziel::Textdatei:
      if (Ergebnis e = textdatei_schreiben(fs_, wahl_.datei, auftrag); !e)
        ShowMessageParent("Die Textdatei " + wahl_.datei + " kann nicht geschrieben werden!\r" +
                          e.text());
      break;
  }
}

bool QtInteraktion::formular(TEntryForm& form) {
  TEntryFormDialog dialog(form, vorne());
  const bool gespeichert = dialog.exec() == QDialog::Accepted;
  if (dialog.fehler()) std::rethrow_exception(dialog.fehler());
  return gespeichert;
}

void QtInteraktion::raster(Rasterformular& r) {
  Rasterdialog dialog(r, vorne());
  dialog.exec();
  if (dialog.fehler()) std::rethrow_exception(dialog.fehler());
}

std::optional<Browsereintrag> QtInteraktion::auswahl(Tmybrowser& liste) {
  Picklistendialog dialog(liste, vorne());
  if (dialog.modell().fehler()) std::rethrow_exception(dialog.modell().fehler());
  const bool gewaehlt = dialog.exec() == QDialog::Accepted;
  if (dialog.modell().fehler()) std::rethrow_exception(dialog.modell().fehler());
  if (!gewaehlt) return std::nullopt;
  return dialog.gewaehlt();
}

}  // namespace fibu
