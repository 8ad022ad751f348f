#include "gui/tffibu_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

#include "frame/tffibu.h"
#include "gui/anfragedienst.h"

namespace fibu {
namespace {

QKeySequence tastenkuerzel(Taste t) {
  switch (t) {
    case Taste::F2: return QKeySequence(Qt::Key_F2);
    case Taste::F3: return QKeySequence(Qt::Key_F3);
    case Taste::F4: return QKeySequence(Qt::Key_F4);
    case Taste::F5: return QKeySequence(Qt::Key_F5);
    case Taste::F6: return QKeySequence(Qt::Key_F6);
    case Taste::F7: return QKeySequence(Qt::Key_F7);
    case Taste::F8: return QKeySequence(Qt::Key_F8);
    case Taste::F9: return QKeySequence(Qt::Key_F9);
    case Taste::F10: return QKeySequence(Qt::Key_F10);
    case Taste::F11: return QKeySequence(Qt::Key_F11);
    case Taste::F12: return QKeySequence(Qt::Key_F12);
    default: return {};
  }
}

// The command the key strokes lead to: the first digit counts the moves to
// the right, each further digit the moves down after an Enter.
int befehl_der_tastenfolge(const std::vector<Menuetaste>& folge) {
  std::vector<int> stellen;
  for (Menuetaste t : folge) {
    switch (t) {
      case Menuetaste::Aktivieren: stellen = {1}; break;
      case Menuetaste::Enter: stellen.push_back(1); break;
      case Menuetaste::Rechts:
      case Menuetaste::Runter:
        if (!stellen.empty()) ++stellen.back();
        break;
    }
  }
  int nummer = 0;
  for (int s : stellen) nummer = nummer * 10 + s;
  return nummer;
}

}  // namespace

TFFibuView::TFFibuView(TFFibu* fibu, Fensterposition* position, QWidget* parent)
    : QMainWindow(parent), fibu_(fibu), position_(position) {
  hinweis_ = new QLabel(this);
  hinweis_->setAlignment(Qt::AlignCenter);
  setCentralWidget(hinweis_);
  setFocusPolicy(Qt::StrongFocus);
  resize(900, 600);
  if (!fibu_) {
    setWindowTitle(QStringLiteral("Finanzbuchhaltung"));
    hinweis_->setText(QStringLiteral("Kein Mandant geöffnet"));
    return;
  }
  hinweis_->setText(QStringLiteral(
      "Menü mit Alt · Enter öffnet das Menü beim zuletzt gewählten Befehl"));
  setWindowTitle(QString::fromStdString(fibu_->titel()));
  // The client, year and period stay in view at the right of the status bar;
  // messages of a running command show at its left.
  stand_ = new QLabel(QString::fromStdString(fibu_->statuszeile()), this);
  statusBar()->addPermanentWidget(stand_);
  fibu_->titel_geaendert = [this](const std::string& t) {
    setWindowTitle(QString::fromStdString(t));
    stand_->setText(QString::fromStdString(fibu_->statuszeile()));
  };
  menue_aufbauen();
  systemmenue();
}

TFFibuView::~TFFibuView() {
  if (fibu_) fibu_->titel_geaendert = nullptr;
}

QAction* TFFibuView::aktion(int nummer) const {
  auto it = aktionen_.find(nummer);
  return it == aktionen_.end() ? nullptr : it->second;
}

void TFFibuView::menue_aufbauen() {
  for (const Menueeintrag& e : hauptmenue()) eintrag(menuBar(), e);
}

void TFFibuView::eintrag(QWidget* menue, const Menueeintrag& e) {
  if (!fibu::sichtbar(e, fibu_->kommandozeile())) return;
  const QString text = QString::fromStdString(e.beschriftung);
  if (e.trenner_davor)
    if (auto* m = qobject_cast<QMenu*>(menue)) m->addSeparator();
  if (!e.unter.empty()) {
    QMenu* unter = new QMenu(text, menue);
    for (const Menueeintrag& u : e.unter) eintrag(unter, u);
    if (auto* leiste = qobject_cast<QMenuBar*>(menue))
      leiste->addMenu(unter);
    else
      static_cast<QMenu*>(menue)->addMenu(unter);
    aktionen_[e.nummer] = unter->menuAction();
    return;
  }
  QAction* a = new QAction(text, menue);
  a->setShortcut(tastenkuerzel(e.taste));
  a->setShortcutContext(Qt::WindowShortcut);
  const int nummer = e.nummer;
  a->setEnabled(nummer == 10 || fibu_->verfuegbar(nummer));
  connect(a, &QAction::triggered, this, [this, nummer] { ausfuehren(nummer); });
  menue->addAction(a);
  aktionen_[nummer] = a;
}

void TFFibuView::systemmenue() {
  QMenu* system = menuBar()->addMenu(QStringLiteral("S&ystem"));
  system->addAction(QStringLiteral("&Über"), this, [this] {
    QMessageBox::about(
        this, QStringLiteral("Über FIBU"),
        QStringLiteral("<b>FIBU – Finanzbuchhaltung</b><br>Doppelte Buchführung für "
                       "Handwerks- und Handelsbetriebe.<br><br>Version %1")
            .arg(QApplication::applicationVersion()));
  });
  info_aktion_ = system->addAction(QStringLiteral("&Info"), this, [this] {
    if (fibu_->beschaeftigt()) return;
    sicher([this] { fibu_->beschaeftigt_ausfuehren([this] { fibu_->systeminformation(); }); });
  });
  if (!position_) return;
  system->addSeparator();
  position_aktion_ = system->addAction(QStringLiteral("&Fensterposition speichern"));
  position_aktion_->setCheckable(true);
  position_aktion_->setChecked(position_->gespeichert());
  connect(position_aktion_, &QAction::triggered, this, [this] {
    position_aktion_->setChecked(position_->umschalten(x(), y()));
  });
}

void TFFibuView::ausfuehren(int nummer) {
  if (nummer == 10) {
    close();
    return;
  }
  if (fibu_->beschaeftigt()) return;
  statusBar()->showMessage(QStringLiteral("Befehl %1 läuft …").arg(nummer));
  sicher([this, nummer] { fibu_->ausfuehren(nummer); });
  statusBar()->clearMessage();
  if (fibu_->beendet()) close();
}

void TFFibuView::menue_am_letzten_befehl() {
  const auto folge = fibu_->enter_taste();
  if (folge.empty()) return;
  const int nummer = befehl_der_tastenfolge(folge);
  // The menus along the command's path: its leading digits. Entries hidden
  // before it do not shift the position.
  const std::string ziffern = std::to_string(nummer);
  std::vector<QAction*> pfad;
  for (std::size_t n = 1; n <= ziffern.size(); ++n) {
    QAction* a = aktion(std::stoi(ziffern.substr(0, n)));
    if (!a) return;
    pfad.push_back(a);
  }
  menuBar()->setActiveAction(pfad[0]);
  QMenu* menue = pfad[0]->menu();
  for (std::size_t i = 1; i < pfad.size() && menue; ++i) {
    menue->setActiveAction(pfad[i]);
    if (i + 1 < pfad.size()) {
      QKeyEvent rechts(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
      QApplication::sendEvent(menue, &rechts);
      menue = pfad[i]->menu();
    }
  }
}

Ergebnis TFFibuView::anfragen_bedienen(const std::string& pfad) {
  if (!anfragen_)
    anfragen_ = new Anfragedienst(
        [this](const std::string& item, const std::string& text) { return anfrage(item, text); },
        this);
  return anfragen_->starten(pfad);
}

std::string TFFibuView::anfrage(const std::string& item, const std::string& text) {
  if (item == "OPLISTE" && !fibu_->beschaeftigt()) {
    // Not over a dialog that is open without a command (the ending dialog).
    if (QApplication::activeModalWidget()) return "FEHLER";
    // The open-item list comes to the front with the window.
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
  }
  std::string antwort = "FEHLER";
  sicher([&] { antwort = fibu_->anfrage(item, text); });
  return antwort;
}

void TFFibuView::sicher(const std::function<void()>& f) {
  // Nothing may leave a slot of the event loop by an exception.
  try {
    f();
  } catch (const Abbruch& abbruch) {
    // The program has to end (e.g. a record file of the wrong size).
    QMessageBox::critical(this, QStringLiteral("Finanzbuchhaltung"),
                          QString::fromStdString(abbruch.text()).replace('\r', '\n'));
    QApplication::exit(1);
  } catch (const std::exception& fehler) {
    QMessageBox::warning(this, QStringLiteral("Finanzbuchhaltung"),
                         QString::fromStdString(fehler.what()).replace('\r', '\n'));
  }
}

void TFFibuView::keyPressEvent(QKeyEvent* ereignis) {
  if (fibu_ && (ereignis->key() == Qt::Key_Return || ereignis->key() == Qt::Key_Enter)) {
    menue_am_letzten_befehl();
    return;
  }
  QMainWindow::keyPressEvent(ereignis);
}

void TFFibuView::showEvent(QShowEvent* ereignis) {
  QMainWindow::showEvent(ereignis);
  if (position_angewendet_ || !position_) return;
  position_angewendet_ = true;
  if (auto p = position_->lesen()) move(p->first, p->second);
}

void TFFibuView::closeEvent(QCloseEvent* ereignis) {
  if (fibu_ && fibu_->beschaeftigt()) {
    ereignis->ignore();
    return;
  }
  if (fibu_ && !fibu_->beendet()) sicher([this] { fibu_->beenden(); });
  ereignis->accept();
}

}  // namespace fibu
