#include "gui/formulardialog.h"

#include <QCheckBox>
#include <functional>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/tasten.h"

namespace fibu {
namespace {

constexpr int zeilen_je_spalte = 14;

bool zahlenfeld(Feldart a) {
  return a == Feldart::Byte || a == Feldart::Word || a == Feldart::LongInt ||
         a == Feldart::Comp || a == Feldart::Double;
}

// The cell editor of the form's table: Esc and the function keys first
// hand the typed text over, then act as the form's keys (Qt's editor would
// drop the text on Esc).
class Zelleneditor : public QStyledItemDelegate {
 public:
  Zelleneditor(QObject* eltern, std::function<void(Taste)> taste)
      : QStyledItemDelegate(eltern), taste_(std::move(taste)) {}

 protected:
  bool eventFilter(QObject* editor, QEvent* ereignis) override {
    if (ereignis->type() == QEvent::KeyPress) {
      auto t = taste_von(static_cast<QKeyEvent*>(ereignis));
      if (t && *t != Taste::BildAuf && *t != Taste::BildAb) {
        auto* w = static_cast<QWidget*>(editor);
        emit commitData(w);
        emit closeEditor(w, QAbstractItemDelegate::NoHint);
        QTimer::singleShot(0, parent(), [taste = taste_, k = *t] { taste(k); });
        return true;
      }
    }
    return QStyledItemDelegate::eventFilter(editor, ereignis);
  }

 private:
  std::function<void(Taste)> taste_;
};

}  // namespace

template <class F>
auto TEntryFormDialog::geschuetzt(F&& f, decltype(f()) sonst) -> decltype(f()) {
  if (fehler_) return sonst;
  try {
    return f();
  } catch (...) {
    fehler_ = std::current_exception();
    fertig_ = true;
    im_modell_ = false;
    QTimer::singleShot(0, this, [this] { QDialog::done(QDialog::Rejected); });
    return sonst;
  }
}

TEntryFormDialog::TEntryFormDialog(TEntryForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
  setWindowTitle(q(form.titel()));
  auto* aussen = new QVBoxLayout(this);
  if (!form.erklaerung().empty()) {
    auto* erklaerung = new QLabel(q(form.erklaerung()), this);
    erklaerung->setWordWrap(true);
    aussen->addWidget(erklaerung);
  }
  const std::vector<QGridLayout*> gitter = seiten_anlegen(aussen);
  felder_anlegen(gitter);
  tabelle_anlegen(aussen);
  QHBoxLayout* knopfleiste = knoepfe_anlegen();
  aussen->addLayout(knopfleiste);

  // Large enough for the largest page, within the screen; beyond that the
  // page scrolls.
  QSize inhalt;
  for (auto* g : gitter) inhalt = inhalt.expandedTo(g->parentWidget()->sizeHint());
  QSize ziel = inhalt + QSize(48, knopfleiste->sizeHint().height() + (seiten_ ? 90 : 50));
  if (QScreen* bildschirm = screen())
    ziel = ziel.boundedTo(bildschirm->availableGeometry().size() * 0.9);
  resize(ziel.expandedTo(sizeHint()));

  auffrischen();
}

int TEntryFormDialog::seitenzahl() const {
  return std::max<int>(1, static_cast<int>(form_.seiten().size()));
}

std::vector<QGridLayout*> TEntryFormDialog::seiten_anlegen(QVBoxLayout* aussen) {
  // One grid per page in a scroll area.
  std::vector<QGridLayout*> gitter;
  auto neue_seite = [&](QWidget* eltern) {
    auto* rollen = new QScrollArea(eltern);
    rollen->setWidgetResizable(true);
    rollen->setFrameShape(QFrame::NoFrame);
    rollen->setFocusPolicy(Qt::NoFocus);
    auto* flaeche = new QWidget(rollen);
    gitter.push_back(new QGridLayout(flaeche));
    rollen->setWidget(flaeche);
    return rollen;
  };
  if (form_.seiten().empty()) {
    aussen->addWidget(neue_seite(this));
    return gitter;
  }
  seiten_ = new QTabWidget(this);
  for (const auto& name : form_.seiten()) seiten_->addTab(neue_seite(seiten_), q(name));
  seiten_->tabBar()->installEventFilter(this);
  // Whatever else might turn the page (the wheel, a style's key), the
  // form's page holds.
  connect(seiten_, &QTabWidget::currentChanged, this, [this](int seite) {
    if (im_modell_ || seite == form_.aktuelle_seite()) return;
    im_modell_ = true;
    seiten_->setCurrentIndex(form_.aktuelle_seite());
    im_modell_ = false;
  });
  seiten_->tabBar()->setFocusPolicy(Qt::NoFocus);
  seiten_->setFocusPolicy(Qt::NoFocus);
  aussen->addWidget(seiten_);
  return gitter;
}

void TEntryFormDialog::felder_anlegen(const std::vector<QGridLayout*>& gitter) {
  // Long pages get up to three columns of fields.
  const int seiten = seitenzahl();
  auto seite_von = [seiten](const TEntryForm::Feld& f) {
    return static_cast<std::size_t>(std::clamp(f.seite, 0, seiten - 1));
  };
  std::vector<int> belegt(static_cast<std::size_t>(seiten), 0);
  std::vector<int> zeilen(static_cast<std::size_t>(seiten), 0);
  for (const auto& f : form_.felder()) ++zeilen[seite_von(f)];
  for (int& z : zeilen) {
    const int spalten = std::clamp((z + zeilen_je_spalte - 1) / zeilen_je_spalte, 1, 3);
    z = std::max(1, (z + spalten - 1) / spalten);
  }
  for (const auto& f : form_.felder()) {
    const std::size_t s = seite_von(f);
    const int pos = belegt[s]++;
    const int zeile = pos % zeilen[s];
    const int spalte = pos / zeilen[s] * 2;
    // A protected text without room for a value is a line of text.
    if (f.art == Feldart::Text && f.geschuetzt && f.laenge == 0 && f.text.empty()) {
      gitter[s]->addWidget(new QLabel(q(f.beschriftung), this), zeile, spalte, 1, 2);
      continue;
    }
    QWidget* e = editor_erzeugen(f);
    auto* beschriftung = new QLabel(q(f.beschriftung), this);
    beschriftung->setBuddy(e);
    gitter[s]->addWidget(beschriftung, zeile, spalte);
    gitter[s]->addWidget(e, zeile, spalte + 1, Qt::AlignLeft);
    editoren_[f.nr] = e;
    felder_[e] = f.nr;
    e->installEventFilter(this);
    // Boxes and choices are values at once, not only when left.
    const int nr = f.nr;
    if (auto* c = qobject_cast<QCheckBox*>(e))
      connect(c, &QCheckBox::toggled, this, [this, nr] { sofort_uebernehmen(nr); });
    if (auto* c = qobject_cast<QComboBox*>(e))
      connect(c, &QComboBox::currentIndexChanged, this, [this, nr] { sofort_uebernehmen(nr); });
  }
  for (auto* g : gitter) {
    g->setRowStretch(g->rowCount(), 1);
    g->setColumnStretch(g->columnCount(), 1);
  }
}

// The table of lines below the fields.
void TEntryFormDialog::tabelle_anlegen(QVBoxLayout* aussen) {
  const auto& t = form_.tabelle();
  if (!t) return;
  tabelle_ = new QTableWidget(t->zeilen(), static_cast<int>(t->spalten.size()), this);
  QStringList spalten;
  for (const auto& sp : t->spalten) spalten << q(sp);
  tabelle_->setHorizontalHeaderLabels(spalten);
  tabelle_->setMinimumHeight(240);
  tabelle_->installEventFilter(this);
  tabelle_->setItemDelegate(new Zelleneditor(this, [this](Taste gedrueckt) { taste(gedrueckt); }));
  connect(tabelle_, &QTableWidget::cellChanged, this, [this](int z, int sp) {
    if (!im_auffrischen_) zelle_geaendert(z, sp);
  });
  aussen->addWidget(tabelle_, 1);
}

QPushButton* TEntryFormDialog::knopf_anlegen(const QString& text) {
  auto* k = new QPushButton(text, this);
  k->setAutoDefault(false);
  k->setFocusPolicy(Qt::NoFocus);  // the cursor stays in the fields
  return k;
}

QHBoxLayout* TEntryFormDialog::knoepfe_anlegen() {
  auto* knopfleiste = new QHBoxLayout;
  const auto& befehle = form_.befehle();
  bool esc_befehl = false;
  for (std::size_t i = 0; i < befehle.size(); ++i) {
    const auto& b = befehle[i];
    esc_befehl |= b.taste == Taste::Esc;
    QString text = q(b.beschriftung);
    if (b.taste != Taste::Keine) text += QStringLiteral("  [") + q(tastenname(b.taste)) + ']';
    auto* k = knopf_anlegen(text);
    connect(k, &QPushButton::clicked, this, [this, i] { befehl(i); });
    knopfleiste->addWidget(k);
    knoepfe_.push_back(k);
  }
  knopfleiste->addStretch(1);
  // A form with fields to edit gets "save" (Esc) and "close"; a notice
  // with buttons of its own gets nothing more, one without any an "OK".
  bool editierbar = false;
  for (const auto& f : form_.felder()) editierbar |= !f.geschuetzt;
  if (!esc_befehl && (editierbar || befehle.empty())) {
    const QString esc =
        form_.esc_befehl().empty() ? QStringLiteral("&Speichern") : q(form_.esc_befehl());
    auto* speichern = knopf_anlegen(editierbar ? esc + QStringLiteral("  [Esc]") : QStringLiteral("OK"));
    connect(speichern, &QPushButton::clicked, this, [this] { taste(Taste::Esc); });
    knopfleiste->addWidget(speichern);
  }
  if (editierbar) {
    auto* schliessen = knopf_anlegen(QStringLiteral("S&chließen"));
    connect(schliessen, &QPushButton::clicked, this, &TEntryFormDialog::reject);
    knopfleiste->addWidget(schliessen);
  }
  return knopfleiste;
}

QWidget* TEntryFormDialog::editor_erzeugen(const TEntryForm::Feld& f) {
  if (f.art == Feldart::JaNein) return new QCheckBox(this);
  if (f.art == Feldart::Auswahl) {
    auto* c = new QComboBox(this);
    for (const auto& a : f.auswahl) c->addItem(q(a));
    return c;
  }
  auto* e = new QLineEdit(this);
  if (f.verdeckt) e->setEchoMode(QLineEdit::Password);
  const int zeichen = f.art == Feldart::Kalenderdatum ? 10 : std::clamp(f.laenge, 3, 40);
  e->setFixedWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (zeichen + 2) + 8);
  switch (f.art) {
    case Feldart::Text:
      if (f.laenge > 0) e->setMaxLength(f.laenge);
      break;
    case Feldart::Kalenderdatum:
      e->setInputMask(QStringLiteral("99.99.9999; "));
      break;
    case Feldart::Comp:
    case Feldart::Double:
      e->setValidator(new QRegularExpressionValidator(
          QRegularExpression(QStringLiteral("[-+]?[0-9.,]*")), e));
      e->setMaxLength(std::max(f.laenge, 15) + 1);
      break;
    default:
      e->setValidator(
          new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-+]?[0-9]*")), e));
      e->setMaxLength(f.laenge + 1);
      break;
  }
  if (zahlenfeld(f.art)) e->setAlignment(Qt::AlignRight);
  return e;
}

QWidget* TEntryFormDialog::editor(int nr) const {
  auto it = editoren_.find(nr);
  return it == editoren_.end() ? nullptr : it->second;
}

QPushButton* TEntryFormDialog::knopf(std::size_t index) const {
  return index < knoepfe_.size() ? knoepfe_[index] : nullptr;
}

void TEntryFormDialog::auffrischen(std::optional<int> ausser) {
  im_auffrischen_ = true;
  setWindowTitle(q(form_.titel()));
  for (const auto& f : form_.felder()) {
    QWidget* w = editor(f.nr);
    if (!w) continue;
    w->setFocusPolicy(f.geschuetzt ? Qt::NoFocus : Qt::StrongFocus);
    if (abgelehnt_ == f.nr) continue;  // keep the refused text for correcting
    if (ausser == f.nr) continue;
    if (auto* c = qobject_cast<QCheckBox*>(w)) {
      c->setChecked(form_.ja(f.nr));
      c->setEnabled(!f.geschuetzt);
    } else if (auto* box = qobject_cast<QComboBox*>(w)) {
      box->setCurrentIndex(form_.auswahl(f.nr));
      box->setEnabled(!f.geschuetzt);
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
      const QString text = q(form_.anzeige(f.nr));
      if (e->text() != text) e->setText(text);
      e->setReadOnly(f.geschuetzt);
      e->setEnabled(!f.geschuetzt);
    }
  }
  if (seiten_ && seiten_->currentIndex() != form_.aktuelle_seite()) {
    im_modell_ = true;
    seiten_->setCurrentIndex(form_.aktuelle_seite());
    im_modell_ = false;
  }
  if (const auto& t = form_.tabelle(); t && tabelle_) {
    tabelle_->setRowCount(t->zeilen());
    for (int z = 0; z < tabelle_->rowCount(); ++z)
      for (int sp = 0; sp < tabelle_->columnCount(); ++sp) {
        const QString text = q(t->zelle(z, sp));
        if (auto* item = tabelle_->item(z, sp)) {
          if (item->text() != text) item->setText(text);
        } else {
          tabelle_->setItem(z, sp, new QTableWidgetItem(text));
        }
      }
  }
  im_auffrischen_ = false;
}

std::optional<int> TEntryFormDialog::feld_von(QObject* objekt) const {
  auto it = felder_.find(objekt);
  if (it == felder_.end()) return std::nullopt;
  return it->second;
}

std::optional<int> TEntryFormDialog::fokussiertes_feld() const {
  for (QWidget* w = focusWidget(); w; w = w->parentWidget())
    if (auto nr = feld_von(w)) return nr;
  return std::nullopt;
}

bool TEntryFormDialog::uebernehmen(int nr) {
  const TEntryForm::Feld& f = form_.feld(nr);
  if (f.geschuetzt) return true;
  QWidget* w = editor(nr);
  std::string text;
  if (auto* c = qobject_cast<QCheckBox*>(w)) {
    if (c->isChecked() == form_.ja(nr)) return true;
    text = c->isChecked() ? "Ja" : "Nein";
  } else if (auto* box = qobject_cast<QComboBox*>(w)) {
    if (box->currentIndex() == form_.auswahl(nr)) return true;
    text = std::to_string(box->currentIndex());
  } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
    // Only what the user typed is handed over: a value shown shortened or
    // reformatted is never saved back.
    if (!e->isModified()) return true;
    QString t = e->text();
    if (f.art == Feldart::Kalenderdatum && t.trimmed() == QStringLiteral("..")) t.clear();
    text = t.trimmed().toStdString();
  }
  const bool ok = geschuetzt([&] { return form_.eingabe(nr, text); }, false);
  if (ok) {
    abgelehnt_.reset();
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->setModified(false);
  } else {
    abgelehnt_ = nr;
  }
  return ok;
}

void TEntryFormDialog::sofort_uebernehmen(int nr) {
  if (im_modell_ || im_auffrischen_) return;
  im_modell_ = true;
  uebernehmen(nr);
  im_modell_ = false;
  // The field with the cursor may hold text not yet handed over.
  auffrischen(fokussiertes_feld());
}

bool TEntryFormDialog::aktuelles_uebernehmen() {
  auto nr = fokussiertes_feld();
  if (!nr) return true;
  im_modell_ = true;
  const bool ok = uebernehmen(*nr);
  im_modell_ = false;
  if (!ok) fokus_setzen(*nr);
  return ok;
}

bool TEntryFormDialog::feld_verlassen(int nr) {
  im_modell_ = true;
  const bool ok = uebernehmen(nr) && geschuetzt([&] { return form_.verlassen(nr); }, false);
  im_modell_ = false;
  auffrischen();
  // A refused field keeps the cursor.
  if (!ok) QTimer::singleShot(0, this, [this, nr] { fokus_setzen(nr); });
  // A field the leave closed (a number field once its record is loaded)
  // cannot keep the cursor: it goes where the form says, else to the first
  // open field.
  if (ok && form_.feld(nr).geschuetzt)
    QTimer::singleShot(0, this, [this, nr] {
      QWidget* fokus = QApplication::focusWidget();
      if (fokus && fokus != editor(nr) && isAncestorOf(fokus)) return;
      if (form_.hat_feld(form_.fokus()) && !form_.feld(form_.fokus()).geschuetzt)
        fokus_setzen(form_.fokus());
      else
        erstes_feld_der_seite(form_.aktuelle_seite());
    });
  return ok;
}

void TEntryFormDialog::zelle_geaendert(int zeile, int spalte) {
  const std::string text = tabelle_->item(zeile, spalte)->text().trimmed().toStdString();
  im_modell_ = true;
  geschuetzt([&] { return form_.zelle_setzen(zeile, spalte, text); }, false);
  im_modell_ = false;
  // A refused cell shows its old value again; a sum field follows the lines.
  QTimer::singleShot(0, this, [this] {
    if (!fehler_) auffrischen(fokussiertes_feld());
  });
}

void TEntryFormDialog::fokus_setzen(int nr) {
  QWidget* w = editor(nr);
  if (!w) return;
  const int seite = form_.feld(nr).seite;
  if (seiten_ && seiten_->currentIndex() != seite) {
    im_modell_ = true;
    form_.setze_seite(seite);
    seiten_->setCurrentIndex(seite);
    im_modell_ = false;
  }
  // A move the program makes is no field leave of the user.
  const bool vorher = im_modell_;
  im_modell_ = true;
  w->setFocus(Qt::OtherFocusReason);
  im_modell_ = vorher;
  if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
}

void TEntryFormDialog::erstes_feld_der_seite(int seite) {
  for (const auto& f : form_.felder())
    if (f.seite == seite && !f.geschuetzt) {
      fokus_setzen(f.nr);
      return;
    }
}

void TEntryFormDialog::reaktion(Reaktion r) {
  if (fehler_) return;
  if (r == Reaktion::Speichern) {
    fertig_ = true;
    accept();
    return;
  }
  if (r == Reaktion::Abbrechen) {
    fertig_ = true;
    QDialog::reject();
    return;
  }
  auffrischen();
  if (!abgelehnt_ && form_.hat_feld(form_.fokus())) fokus_setzen(form_.fokus());
}

void TEntryFormDialog::taste(Taste t) {
  if (!aktuelles_uebernehmen()) return;
  im_modell_ = true;
  const Reaktion r = geschuetzt([&] { return form_.taste(t); }, Reaktion::Weiter);
  im_modell_ = false;
  reaktion(r);
}

void TEntryFormDialog::befehl(std::size_t index) {
  if (!aktuelles_uebernehmen()) return;
  im_modell_ = true;
  const Reaktion r = geschuetzt([&] { return form_.befehl(index); }, Reaktion::Weiter);
  im_modell_ = false;
  reaktion(r);
}

bool TEntryFormDialog::seite_zeigen(int seite) {
  if (!seiten_ || seite < 0 || seite >= seiten_->count()) return false;
  if (seite == seiten_->currentIndex()) return true;
  auto nr = fokussiertes_feld();
  im_modell_ = true;
  const bool ok =
      (!nr || uebernehmen(*nr)) && geschuetzt([&] { return form_.seite_wechseln(seite); }, false);
  if (ok) seiten_->setCurrentIndex(seite);
  im_modell_ = false;
  auffrischen();
  if (ok)
    erstes_feld_der_seite(seite);
  else if (form_.hat_feld(form_.fokus()))
    fokus_setzen(form_.fokus());
  return ok;
}

void TEntryFormDialog::reject() {
  if (fertig_) {
    QDialog::reject();
    return;
  }
  // Closing drops a text the form refused; other typed text counts.
  if (abgelehnt_) {
    abgelehnt_.reset();
    auffrischen();
  } else if (!aktuelles_uebernehmen()) {
    return;
  }
  im_modell_ = true;
  const Reaktion r = geschuetzt([&] { return form_.schliessen(); }, Reaktion::Weiter);
  im_modell_ = false;
  reaktion(r);
}

void TEntryFormDialog::showEvent(QShowEvent* ereignis) {
  QDialog::showEvent(ereignis);
  if (form_.hat_feld(form_.fokus()) && !form_.feld(form_.fokus()).geschuetzt)
    fokus_setzen(form_.fokus());
  else
    erstes_feld_der_seite(form_.aktuelle_seite());
}

bool TEntryFormDialog::eventFilter(QObject* objekt, QEvent* ereignis) {
  // Pages change only through the form: clicks on the tab row and the
  // keys of the tab widget are taken here.
  if (seiten_ && objekt == seiten_->tabBar()) {
    if (ereignis->type() == QEvent::MouseButtonPress) {
      auto* m = static_cast<QMouseEvent*>(ereignis);
      const int ziel = seiten_->tabBar()->tabAt(m->position().toPoint());
      if (ziel >= 0) seite_zeigen(ziel);
      return true;
    }
    if (ereignis->type() == QEvent::MouseButtonDblClick || ereignis->type() == QEvent::Wheel)
      return true;
  }
  // In the table Esc and the function keys are the form's keys.
  if (tabelle_ && objekt == tabelle_ && ereignis->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(ereignis);
    auto t = taste_von(k);
    // (While a cell is edited its editor has the keys.)
    if (t && *t != Taste::BildAuf && *t != Taste::BildAb) {
      taste(*t);
      return true;
    }
    return false;
  }
  auto nr = feld_von(objekt);
  if (!nr) return QDialog::eventFilter(objekt, ereignis);

  if (ereignis->type() == QEvent::FocusOut) {
    auto* f = static_cast<QFocusEvent*>(ereignis);
    // A message box or a popup taking the focus is no field leave.
    if (!im_modell_ && !fertig_ && f->reason() != Qt::ActiveWindowFocusReason &&
        f->reason() != Qt::PopupFocusReason)
      feld_verlassen(*nr);
    return false;
  }
  if (ereignis->type() != QEvent::KeyPress) return false;
  auto* k = static_cast<QKeyEvent*>(ereignis);
  const bool strg = k->modifiers() & Qt::ControlModifier;
  if (seiten_ && strg &&
      (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab || k->key() == Qt::Key_PageDown ||
       k->key() == Qt::Key_PageUp)) {
    const bool zurueck = k->key() == Qt::Key_Backtab || k->key() == Qt::Key_PageUp ||
                         (k->modifiers() & Qt::ShiftModifier);
    const int n = seiten_->count();
    seite_zeigen((seiten_->currentIndex() + (zurueck ? n - 1 : 1)) % n);
    return true;
  }
  if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_Tab) {
    bool enter_befehl = false;
    for (const auto& b : form_.befehle()) enter_befehl |= b.taste == Taste::Enter;
    if (enter_befehl && k->key() != Qt::Key_Tab) {
      taste(Taste::Enter);
      return true;
    }
    // The only open field (a number field before its record is loaded):
    // the cursor cannot go on, the key leaves the field all the same.
    QWidget* vorher = QApplication::focusWidget();
    focusNextChild();
    if (QApplication::focusWidget() == vorher) feld_verlassen(*nr);
    return true;
  }
  if (auto t = taste_von(k)) {
    taste(*t);
    return true;
  }
  return false;
}

}  // namespace fibu
