#include "gui/pickliste.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/druckbild.h"

namespace fibu {

template <class F>
std::vector<Browsereintrag> Browsermodell::holen(F&& f) {
  if (fehler_) return {};
  try {
    auto neu = f();
    geholt_ += neu.size();
    return neu;
  } catch (...) {
    fehler_ = std::current_exception();
    anfang_ = ende_ = true;
    return {};
  }
}

Browsermodell::Browsermodell(Tmybrowser& liste, QObject* parent)
    : QAbstractListModel(parent), liste_(liste) {}

int Browsermodell::rowCount(const QModelIndex& eltern) const {
  return eltern.isValid() ? 0 : static_cast<int>(eintraege_.size());
}

QVariant Browsermodell::data(const QModelIndex& index, int rolle) const {
  if (!index.isValid() || rolle != Qt::DisplayRole || index.row() >= rowCount()) return {};
  return QString::fromStdString(eintrag(index.row()).zeile);
}

bool Browsermodell::canFetchMore(const QModelIndex& eltern) const {
  return !eltern.isValid() && !ende_;
}

void Browsermodell::fetchMore(const QModelIndex& eltern) {
  if (eltern.isValid() || ende_) return;
  // The next key after the last one is that key followed by a zero byte.
  auto neu = holen([&] {
    return eintraege_.empty() ? liste_.ab("", seite)
                              : liste_.ab(eintraege_.back().schluessel + '\0', seite);
  });
  ende_ = ende_ || neu.size() < seite;
  if (neu.empty()) return;
  const int n = rowCount();
  beginInsertRows({}, n, n + static_cast<int>(neu.size()) - 1);
  eintraege_.insert(eintraege_.end(), neu.begin(), neu.end());
  endInsertRows();
}

int Browsermodell::positionieren(const std::string& schluessel) {
  beginResetModel();
  auto davor = holen([&] { return liste_.vor(schluessel, seite / 2); });
  auto ab = holen([&] { return liste_.ab(schluessel, seite); });
  anfang_ = fehler_ || davor.size() < seite / 2;
  ende_ = fehler_ || ab.size() < seite;
  eintraege_.assign(davor.begin(), davor.end());
  eintraege_.insert(eintraege_.end(), ab.begin(), ab.end());
  endResetModel();
  if (ab.empty()) return static_cast<int>(eintraege_.size()) - 1;
  return static_cast<int>(davor.size());
}

int Browsermodell::ans_ende() {
  // Behind every key a record index holds.
  static const std::string hinter_allem(64, '\xff');
  beginResetModel();
  auto davor = holen([&] { return liste_.vor(hinter_allem, seite); });
  anfang_ = fehler_ || davor.size() < seite;
  ende_ = true;
  eintraege_.assign(davor.begin(), davor.end());
  endResetModel();
  return static_cast<int>(eintraege_.size()) - 1;
}

int Browsermodell::davor_laden() {
  if (anfang_ || eintraege_.empty()) return 0;
  auto neu = holen([&] { return liste_.vor(eintraege_.front().schluessel, seite); });
  anfang_ = anfang_ || neu.size() < seite;
  if (neu.empty()) return 0;
  beginInsertRows({}, 0, static_cast<int>(neu.size()) - 1);
  eintraege_.insert(eintraege_.begin(), neu.begin(), neu.end());
  endInsertRows();
  return static_cast<int>(neu.size());
}

Picklistendialog::Picklistendialog(Tmybrowser& liste, QWidget* parent)
    : QDialog(parent), liste_(liste) {
  setWindowTitle(QString::fromStdString(liste.titel()));
  auto* layout = new QVBoxLayout(this);
  QFont schrift = druckschrift();
  schrift.setPointSize(font().pointSize());
  if (!liste.kopf().empty()) {
    auto* kopf = new QLabel(QString::fromStdString(liste.kopf()), this);
    kopf->setFont(schrift);
    layout->addWidget(kopf);
  }
  modell_ = new Browsermodell(liste, this);
  ansicht_ = new QListView(this);
  ansicht_->setFont(schrift);
  ansicht_->setModel(modell_);
  ansicht_->setUniformItemSizes(true);
  ansicht_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ansicht_->installEventFilter(this);
  layout->addWidget(ansicht_);
  suchzeile_ = new QLabel(this);
  layout->addWidget(suchzeile_);
  auto* hinweis = new QLabel(
      QStringLiteral("Tippen sucht  ·  Enter wählt  ·  Esc bricht ab"), this);
  layout->addWidget(hinweis);
  resize(QFontMetrics(schrift).horizontalAdvance(QLatin1Char('0')) * 72, 420);

  connect(ansicht_, &QListView::doubleClicked, this, [this] { waehlen(); });
  connect(ansicht_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int wert) {
    if (wert == ansicht_->verticalScrollBar()->minimum()) oben_nachladen();
  });
  const int start = modell_->positionieren(liste.startschluessel());
  if (start >= 0) ansicht_->setCurrentIndex(modell_->index(start));
}

void Picklistendialog::oben_nachladen() {
  if (modell_->am_anfang()) return;
  const QModelIndex aktuell = ansicht_->currentIndex();
  const int n = modell_->davor_laden();
  if (n > 0) ansicht_->scrollTo(modell_->index(n), QAbstractItemView::PositionAtTop);
  if (aktuell.isValid()) ansicht_->setCurrentIndex(modell_->index(aktuell.row() + n));
}

void Picklistendialog::suchen() {
  if (modell_->fehler()) return;
  suchzeile_->setText(such_.isEmpty() ? QString() : QStringLiteral("Suche: ") + such_);
  const int zeile = modell_->positionieren(liste_.suchschluessel(such_.toStdString()));
  if (zeile < 0) return;
  ansicht_->setCurrentIndex(modell_->index(zeile));
  ansicht_->scrollTo(modell_->index(zeile), QAbstractItemView::PositionAtCenter);
}

void Picklistendialog::waehlen() {
  const QModelIndex i = ansicht_->currentIndex();
  if (!i.isValid()) return;
  gewaehlt_ = modell_->eintrag(i.row());
  accept();
}

bool Picklistendialog::eventFilter(QObject* objekt, QEvent* ereignis) {
  if (objekt != ansicht_ || ereignis->type() != QEvent::KeyPress)
    return QDialog::eventFilter(objekt, ereignis);
  auto* k = static_cast<QKeyEvent*>(ereignis);
  switch (k->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      waehlen();
      return true;
    case Qt::Key_Escape:
      reject();
      return true;
    case Qt::Key_Backspace:
      if (!such_.isEmpty()) {
        such_.chop(1);
        suchen();
      }
      return true;
    case Qt::Key_Home:
      such_.clear();
      suchen();
      return true;
    case Qt::Key_End: {
      such_.clear();
      suchzeile_->clear();
      const int zeile = modell_->ans_ende();
      if (zeile >= 0) ansicht_->setCurrentIndex(modell_->index(zeile));
      return true;
    }
    case Qt::Key_Up:
    case Qt::Key_PageUp:
      if (ansicht_->currentIndex().row() < static_cast<int>(Browsermodell::seite)) oben_nachladen();
      return false;
    default:
      break;
  }
  const QString text = k->text();
  if (!text.isEmpty() && text.at(0).isPrint() && !(k->modifiers() & Qt::ControlModifier)) {
    such_ += text;
    suchen();
    return true;
  }
  return false;
}

}  // namespace fibu
