#include "gui/rasterdialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/tasten.h"

namespace fibu {

namespace {

// The cell editor: the function keys, Ctrl+N and the arrow keys up and
// down first hand the typed text to the model, then act as in the grid
// (Qt's editor would keep them or drop the text).
class Zelleneditor : public QStyledItemDelegate {
 public:
  explicit Zelleneditor(Rastertabelle& t) : QStyledItemDelegate(&t), t_(t) {}

 protected:
  bool eventFilter(QObject* objekt, QEvent* e) override {
    auto* editor = qobject_cast<QWidget*>(objekt);
    if (editor && e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      const bool zeilenwechsel = k->key() == Qt::Key_Up || k->key() == Qt::Key_Down;
      const auto taste = taste_von(k);
      if (zeilenwechsel || (taste && *taste != Taste::Esc)) {
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        QKeyEvent kopie(QEvent::KeyPress, k->key(), k->modifiers(), k->text());
        t_.modelltaste(&kopie);
        return true;
      }
    }
    return QStyledItemDelegate::eventFilter(objekt, e);
  }

 private:
  Rastertabelle& t_;
};

}  // namespace

// --- The table model ---

Rastermodell::Rastermodell(Rasterformular& r, Rasterdialog& d) : r_(r), d_(d) {
  zeilen_ = static_cast<int>(std::min<std::int64_t>(r.zeilen(), INT32_MAX));
}

int Rastermodell::rowCount(const QModelIndex& eltern) const { return eltern.isValid() ? 0 : zeilen_; }

int Rastermodell::columnCount(const QModelIndex& eltern) const {
  return eltern.isValid() ? 0 : static_cast<int>(r_.spalten().size());
}

QVariant Rastermodell::data(const QModelIndex& index, int rolle) const {
  if (!index.isValid()) return {};
  if (rolle == Qt::DisplayRole || rolle == Qt::EditRole) {
    std::string text;
    d_.sicher([&] { text = r_.zelle(index.row() + 1, index.column()); });
    return q(text);
  }
  if (rolle == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::AlignVCenter |
                               (r_.rechtsbuendig(index.column()) ? Qt::AlignRight : Qt::AlignLeft));
  return {};
}

QVariant Rastermodell::headerData(int abschnitt, Qt::Orientation richtung, int rolle) const {
  if (rolle != Qt::DisplayRole) return {};
  if (richtung == Qt::Vertical) return abschnitt + 1;
  const auto spalten = r_.spalten();
  return abschnitt >= 0 && abschnitt < static_cast<int>(spalten.size()) ? q(spalten[abschnitt])
                                                                        : QVariant();
}

Qt::ItemFlags Rastermodell::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.isValid() && !r_.nur_anzeige(index.column())) f |= Qt::ItemIsEditable;
  return f;
}

bool Rastermodell::setData(const QModelIndex& index, const QVariant& wert, int rolle) {
  // Text goes to the model's cursor cell only.
  if (rolle != Qt::EditRole || !index.isValid() || index.row() + 1 != r_.zeile() ||
      index.column() != r_.spalte())
    return false;
  eingabe_ok_ = false;
  d_.sicher([&] { eingabe_ok_ = r_.eingabe(wert.toString().toStdString()); });
  return eingabe_ok_;
}

void Rastermodell::auffrischen() {
  const int neu = static_cast<int>(std::min<std::int64_t>(r_.zeilen(), INT32_MAX));
  if (neu > zeilen_) {
    beginInsertRows({}, zeilen_, neu - 1);
    zeilen_ = neu;
    endInsertRows();
  } else if (neu < zeilen_) {
    beginRemoveRows({}, neu, zeilen_ - 1);
    zeilen_ = neu;
    endRemoveRows();
  }
  if (zeilen_ > 0) emit dataChanged(index(0, 0), index(zeilen_ - 1, columnCount() - 1));
}

// --- The table ---

Rastertabelle::Rastertabelle(Rasterdialog& d) : QTableView(&d), d_(d) {
  setItemDelegate(new Zelleneditor(*this));
  setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setTabKeyNavigation(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

bool Rastertabelle::modelltaste(QKeyEvent* e) {
  Rasterformular& r = d_.raster();
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  switch (e->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Right:
      d_.sicher([&] { shift && e->key() == Qt::Key_Tab ? r.zurueck() : r.weiter(); });
      break;
    case Qt::Key_Backtab:
    case Qt::Key_Left:
      d_.sicher([&] { r.zurueck(); });
      break;
    case Qt::Key_Up:
    case Qt::Key_Down:
      d_.sicher([&] { r.gehe_zu(std::max<std::int64_t>(1, r.zeile() + (e->key() == Qt::Key_Up ? -1 : 1)),
                                r.spalte()); });
      break;
    default:
      if (auto t = taste_von(e)) {
        d_.taste(*t);
        return true;
      }
      return false;
  }
  d_.nachziehen();
  return true;
}

void Rastertabelle::editor_abschliessen() {
  if (state() != QAbstractItemView::EditingState) return;
  QWidget* editor = QApplication::focusWidget();
  if (!editor || editor->parentWidget() != viewport()) return;
  commitData(editor);
  QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void Rastertabelle::keyPressEvent(QKeyEvent* e) {
  if (state() == QAbstractItemView::EditingState || !modelltaste(e)) QTableView::keyPressEvent(e);
}

// The editor is closed: the typed text went to the model (setData); Tab
// and Enter then leave the cell forward, Shift+Tab back. The cursor is
// always where the model has it.
void Rastertabelle::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hinweis) {
  QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
  auto* modell = static_cast<Rastermodell*>(model());
  Rasterformular& r = d_.raster();
  if (modell->letzte_eingabe_ok()) {
    if (hinweis == QAbstractItemDelegate::EditNextItem || hinweis == QAbstractItemDelegate::SubmitModelCache)
      d_.sicher([&] { r.weiter(); });
    else if (hinweis == QAbstractItemDelegate::EditPreviousItem)
      d_.sicher([&] { r.zurueck(); });
  }
  // The next typed value is judged on its own.
  d_.nachziehen();
}

// --- The window ---

Rasterdialog::Rasterdialog(Rasterformular& r, QWidget* eltern) : QDialog(eltern), r_(r) {
  setWindowTitle(q(r.titel()));
  modell_ = new Rastermodell(r, *this);
  tabelle_ = new Rastertabelle(*this);
  tabelle_->setModel(modell_);
  tabelle_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  const QFontMetrics fm = tabelle_->fontMetrics();
  // Widths from the formats of the columns: the heading or ten digits.
  for (int s = 0; s < modell_->columnCount(); ++s) {
    const QString kopf = modell_->headerData(s, Qt::Horizontal, Qt::DisplayRole).toString();
    const int breite = std::max(fm.horizontalAdvance(kopf), fm.horizontalAdvance(QStringLiteral("0")) *
                                                                (r.rechtsbuendig(s) ? 11 : 8));
    tabelle_->setColumnWidth(s, breite + 16);
  }

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("statuszeile"));
  auto* panel = new QGridLayout;
  const auto felder = r.panelfelder();
  for (std::size_t i = 0; i < felder.size(); ++i) {
    auto* wert = new QLabel(this);
    wert->setTextInteractionFlags(Qt::TextSelectableByMouse);
    wert->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("0")) * 16);
    panel_.push_back(wert);
    const int zeile = static_cast<int>(i) / 4, spalte = static_cast<int>(i) % 4 * 2;
    panel->addWidget(new QLabel(q(felder[i].first) + QStringLiteral(":"), this), zeile, spalte);
    panel->addWidget(wert, zeile, spalte + 1);
  }
  auto* knoepfe = new QHBoxLayout;
  for (const auto& [t, beschriftung] : r.tasten()) {
    const std::string name = t == Taste::Keine ? "" : "  [" + tastenname(t) + "]";
    auto* k = new QPushButton(q(beschriftung + name), this);
    k->setFocusPolicy(Qt::NoFocus);
    k->setAutoDefault(false);
    const Taste taste = t;
    connect(k, &QPushButton::clicked, this, [this, taste] { this->taste(taste); });
    knoepfe->addWidget(k);
  }
  knoepfe->addStretch();

  connect(tabelle_, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    QMenu menue(this);
    const auto eintraege = r_.kontextmenue();
    for (std::size_t i = 0; i < eintraege.size(); ++i) {
      QAction* a = menue.addAction(q(eintraege[i]));
      a->setEnabled(r_.kontext_verfuegbar(i));
      connect(a, &QAction::triggered, this, [this, i] {
        sicher([&] { r_.kontext(i); });
        nachziehen();
      });
    }
    menue.exec(tabelle_->viewport()->mapToGlobal(p));
  });
  // A click moves the cursor as the model allows.
  connect(tabelle_, &QTableView::clicked, this, [this](const QModelIndex& i) {
    sicher([&] { r_.gehe_zu(i.row() + 1, i.column()); });
    nachziehen();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabelle_, 1);
  layout->addWidget(status_);
  layout->addLayout(panel);
  layout->addLayout(knoepfe);
  int breite = tabelle_->verticalHeader()->sizeHint().width() + 40;
  for (int s = 0; s < modell_->columnCount(); ++s) breite += tabelle_->columnWidth(s);
  resize(std::max(breite, 900), 600);
  nachziehen();
  tabelle_->setFocus();
}

void Rasterdialog::sicher(const std::function<void()>& schritt) {
  if (fehler_) return;
  try {
    schritt();
  } catch (...) {
    fehler_ = std::current_exception();
    schliesst_ = true;
    QDialog::done(QDialog::Rejected);
  }
}

void Rasterdialog::nachziehen() {
  if (fehler_) return;
  modell_->auffrischen();
  const QModelIndex i = modell_->index(static_cast<int>(r_.zeile() - 1), r_.spalte());
  tabelle_->setCurrentIndex(i);
  tabelle_->scrollTo(i);
  status_->setText(q(r_.statuszeile()));
  std::vector<std::pair<std::string, std::string>> felder;
  sicher([&] { felder = r_.panelfelder(); });
  for (std::size_t k = 0; k < felder.size() && k < panel_.size(); ++k) panel_[k]->setText(q(felder[k].second));
}

void Rasterdialog::taste(Taste t) {
  tabelle_->editor_abschliessen();
  Reaktion antwort = Reaktion::Weiter;
  sicher([&] { antwort = r_.taste(t); });
  if (antwort != Reaktion::Weiter) {
    schliesst_ = true;
    QDialog::done(antwort == Reaktion::Speichern ? QDialog::Accepted : QDialog::Rejected);
    return;
  }
  nachziehen();
}

// Esc reaches the dialog when the table does not take it.
void Rasterdialog::reject() {
  if (schliesst_) {
    QDialog::reject();
    return;
  }
  taste(Taste::Esc);
}

// The grid has the keyboard from the start.
void Rasterdialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  tabelle_->setFocus(Qt::ActiveWindowFocusReason);
}

void Rasterdialog::closeEvent(QCloseEvent* e) {
  if (schliesst_) {
    e->accept();
    return;
  }
  bool darf = true;
  sicher([&] { darf = r_.schliessen(); });
  if (darf || fehler_) {
    schliesst_ = true;
    e->accept();
    QDialog::done(QDialog::Rejected);
  } else {
    e->ignore();
  }
}

}  // namespace fibu
