#include "gui/druckdialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

namespace fibu {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QString endung(Druckziel z) { return z == Druckziel::Pdf ? QStringLiteral(".pdf") : QStringLiteral(".txt"); }

}  // namespace

DruckzielDialog::DruckzielDialog(const Druckauftrag& auftrag, const Druckwahl& vorher,
                                 QWidget* parent)
    : QDialog(parent), name_(druck_dateiname(auftrag.name)) {
  setWindowTitle(QStringLiteral("Drucken"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Dokument: ") + q(auftrag.name), this));
  if (!auftrag.hinweis.empty()) {
    auto* hinweis = new QLabel(q(auftrag.hinweis).replace('\r', '\n'), this);
    hinweis->setWordWrap(true);
    layout->addWidget(hinweis);
  }
  ziele_ = new QButtonGroup(this);
  const std::pair<Druckziel, QString> ziele[] = {
      {Druckziel::Vorschau, QStringLiteral("&Vorschau am Bildschirm")},
      {Druckziel::Drucker, QStringLiteral("D&rucker")},
      {Druckziel::Pdf, QStringLiteral("&PDF-Datei")},
      {Druckziel::Textdatei, QStringLiteral("&Textdatei")},
  };
  for (const auto& [ziel, text] : ziele) {
    auto* knopf = new QRadioButton(text, this);
    ziele_->addButton(knopf, static_cast<int>(ziel));
    layout->addWidget(knopf);
  }
  ziele_->button(static_cast<int>(vorher.ziel))->setChecked(true);

  dateizeile_ = new QWidget(this);
  auto* zeile = new QHBoxLayout(dateizeile_);
  zeile->setContentsMargins(20, 0, 0, 0);
  auto* beschriftung = new QLabel(QStringLiteral("D&atei:"), dateizeile_);
  datei_ = new QLineEdit(dateizeile_);
  datei_->setMinimumWidth(360);
  beschriftung->setBuddy(datei_);
  auto* suchen = new QToolButton(dateizeile_);
  suchen->setText(QStringLiteral("…"));
  zeile->addWidget(beschriftung);
  zeile->addWidget(datei_, 1);
  zeile->addWidget(suchen);
  layout->addWidget(dateizeile_);

  verzeichnis_ = vorher.datei.empty()
                     ? QDir::currentPath().toStdString()
                     : QFileInfo(q(vorher.datei)).absolutePath().toStdString();

  quer_ = new QCheckBox(QStringLiteral("&Querformat"), this);
  quer_->setChecked(vorher.format.quer);
  layout->addWidget(quer_);

  auto* knoepfe = new QDialogButtonBox(this);
  knoepfe->addButton(QStringLiteral("&Drucken"), QDialogButtonBox::AcceptRole)->setDefault(true);
  knoepfe->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
  layout->addWidget(knoepfe);
  connect(knoepfe, &QDialogButtonBox::accepted, this, &DruckzielDialog::accept);
  connect(knoepfe, &QDialogButtonBox::rejected, this, &DruckzielDialog::reject);
  connect(ziele_, &QButtonGroup::idClicked, this, [this] { ziel_geaendert(); });
  connect(suchen, &QToolButton::clicked, this, [this] {
    const auto ziel = static_cast<Druckziel>(ziele_->checkedId());
    const QString filter = ziel == Druckziel::Pdf ? QStringLiteral("PDF-Dateien (*.pdf)")
                                                  : QStringLiteral("Textdateien (*.txt)");
    const QString datei =
        QFileDialog::getSaveFileName(this, QStringLiteral("Datei wählen"), datei_->text(), filter);
    if (!datei.isEmpty()) datei_->setText(datei);
  });
  ziel_geaendert();
}

void DruckzielDialog::ziel_geaendert() {
  const auto ziel = static_cast<Druckziel>(ziele_->checkedId());
  const bool datei = ziel == Druckziel::Pdf || ziel == Druckziel::Textdatei;
  dateizeile_->setEnabled(datei);
  if (!datei) return;
  // The file name follows the job and the target; a name the user typed
  // keeps its directory and name, only the ending changes.
  if (datei_->text().isEmpty()) {
    datei_->setText(QDir(q(verzeichnis_)).filePath(q(name_) + endung(ziel)));
    return;
  }
  const QFileInfo bisher(datei_->text());
  datei_->setText(QDir(bisher.absolutePath()).filePath(bisher.completeBaseName() + endung(ziel)));
}

Druckwahl DruckzielDialog::wahl() const {
  Druckwahl w;
  w.ziel = static_cast<Druckziel>(ziele_->checkedId());
  w.format.quer = quer_->isChecked();
  w.datei = datei_->text().trimmed().toStdString();
  return w;
}

void DruckzielDialog::accept() {
  const Druckwahl w = wahl();
  if ((w.ziel == Druckziel::Pdf || w.ziel == Druckziel::Textdatei) && w.datei.empty()) {
    QMessageBox::warning(this, windowTitle(), QStringLiteral("Bitte einen Dateinamen angeben!"));
    datei_->setFocus();
    return;
  }
  QDialog::accept();
}

bool auf_drucker(const Druckauftrag& auftrag, const Seitenformat& format, QWidget* parent) {
  QPrinter drucker(QPrinter::HighResolution);
  drucker.setDocName(q(auftrag.name));
  drucker.setFullPage(true);
  seite_einrichten(drucker, format);
  QPrintDialog dialog(&drucker, parent);
  dialog.setWindowTitle(QStringLiteral("Drucken: ") + q(auftrag.name));
  dialog.setMinMax(1, std::max<int>(1, static_cast<int>(auftrag.seiten.size())));
  if (dialog.exec() != QDialog::Accepted) return false;
  const bool bereich = drucker.printRange() == QPrinter::PageRange;
  QPainter maler;
  if (!maler.begin(&drucker)) {
    QMessageBox::warning(parent, QStringLiteral("Drucken"),
                         QStringLiteral("Der Drucker kann nicht benutzt werden!"));
    return false;
  }
  auftrag_malen(maler, drucker, auftrag, format, bereich ? drucker.fromPage() : 0,
                bereich ? drucker.toPage() : 0);
  maler.end();
  return true;
}

DruckVorschau::DruckVorschau(const Druckauftrag& auftrag, const Seitenformat& format,
                             QWidget* parent)
    : QDialog(parent), auftrag_(auftrag), format_(format) {
  setWindowTitle(QStringLiteral("Vorschau: ") + q(auftrag.name));
  drucker_ = new QPrinter(QPrinter::HighResolution);
  drucker_->setOutputFormat(QPrinter::PdfFormat);
  drucker_->setFullPage(true);
  seite_einrichten(*drucker_, format_);

  auto* layout = new QVBoxLayout(this);
  auto* leiste = new QHBoxLayout;
  auto knopf = [&](const QString& text, auto&& aktion) {
    auto* k = new QPushButton(text, this);
    k->setAutoDefault(false);
    k->setFocusPolicy(Qt::NoFocus);
    connect(k, &QPushButton::clicked, this, aktion);
    leiste->addWidget(k);
    return k;
  };
  knopf(QStringLiteral("&Erste"), [this] { zeige(1); });
  knopf(QStringLiteral("&Zurück  [Bild auf]"), [this] { zeige(aktuelle_seite() - 1); });
  knopf(QStringLiteral("&Weiter  [Bild ab]"), [this] { zeige(aktuelle_seite() + 1); });
  knopf(QStringLiteral("&Letzte"), [this] { zeige(seitenzahl()); });
  seitenanzeige_ = new QLabel(this);
  leiste->addWidget(seitenanzeige_);
  leiste->addStretch(1);
  knopf(QStringLiteral("Ver&größern  [+]"), [this] { vorschau_->zoomIn(); });
  knopf(QStringLiteral("Ver&kleinern  [-]"), [this] { vorschau_->zoomOut(); });
  knopf(QStringLiteral("&Drucken…"), [this] { auf_drucker(auftrag_, format_, this); });
  knopf(QStringLiteral("&PDF…"), [this] { als_pdf(); });
  knopf(QStringLiteral("&Schließen  [Esc]"), [this] { accept(); });
  layout->addLayout(leiste);

  vorschau_ = new QPrintPreviewWidget(drucker_, this);
  connect(vorschau_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* p) {
    QPainter maler(p);
    auftrag_malen(maler, *p, auftrag_, format_);
  });
  connect(vorschau_, &QPrintPreviewWidget::previewChanged, this, [this] { zeige(aktuelle_seite()); });
  layout->addWidget(vorschau_, 1);
  vorschau_->setZoomMode(QPrintPreviewWidget::FitToWidth);
  vorschau_->updatePreview();
  resize(900, 1000);
  tasten();
  zeige(1);
}

DruckVorschau::~DruckVorschau() {
  delete vorschau_;
  delete drucker_;
}

int DruckVorschau::seitenzahl() const { return vorschau_->pageCount(); }
int DruckVorschau::aktuelle_seite() const { return vorschau_->currentPage(); }

void DruckVorschau::zeige(int seite) {
  seite = std::clamp(seite, 1, std::max(1, seitenzahl()));
  if (seite != vorschau_->currentPage()) vorschau_->setCurrentPage(seite);
  seitenanzeige_->setText(QStringLiteral("Seite %1 von %2").arg(seite).arg(seitenzahl()));
}

void DruckVorschau::als_pdf() {
  const QString datei = QFileDialog::getSaveFileName(
      this, QStringLiteral("Als PDF speichern"),
      QDir::current().filePath(q(druck_dateiname(auftrag_.name)) + QStringLiteral(".pdf")),
      QStringLiteral("PDF-Dateien (*.pdf)"));
  if (datei.isEmpty()) return;
  if (Ergebnis e = pdf_schreiben(auftrag_, datei.toStdString(), format_); !e)
    QMessageBox::warning(this, windowTitle(), q(e.text()));
}

void DruckVorschau::tasten() {
  // Shortcuts, because the page view inside has the focus and would scroll.
  auto taste = [this](QKeySequence k, auto&& aktion) {
    auto* s = new QShortcut(k, this);
    s->setContext(Qt::WidgetWithChildrenShortcut);
    connect(s, &QShortcut::activated, this, aktion);
  };
  taste(QKeySequence(Qt::Key_PageDown), [this] { zeige(aktuelle_seite() + 1); });
  taste(QKeySequence(Qt::Key_PageUp), [this] { zeige(aktuelle_seite() - 1); });
  taste(QKeySequence(Qt::Key_Home), [this] { zeige(1); });
  taste(QKeySequence(Qt::Key_End), [this] { zeige(seitenzahl()); });
  taste(QKeySequence(Qt::Key_Plus), [this] { vorschau_->zoomIn(); });
  taste(QKeySequence(Qt::Key_Minus), [this] { vorschau_->zoomOut(); });
}

}  // namespace fibu
