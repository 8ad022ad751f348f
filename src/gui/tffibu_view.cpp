#include "gui/tffibu_view.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "frame/tffibu.h"

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

}  // namespace

TFFibuView::TFFibuView(TFFibu* fibu, QWidget* parent) : QMainWindow(parent), fibu_(fibu) {
  auto* hinweis = new QLabel(this);
  hinweis->setAlignment(Qt::AlignCenter);
  setCentralWidget(hinweis);
  resize(900, 600);
  if (!fibu_) {
    setWindowTitle(QStringLiteral("Finanzbuchhaltung"));
    hinweis->setText(QStringLiteral("Kein Mandant geöffnet"));
    return;
  }
  setWindowTitle(QString::fromStdString(fibu_->titel()));
  fibu_->titel_geaendert = [this](const std::string& t) { setWindowTitle(QString::fromStdString(t)); };
  menue_aufbauen();
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
  if (!e.unter.empty()) {
    QMenu* unter = new QMenu(text, menue);
    for (const Menueeintrag& u : e.unter) eintrag(unter, u);
    if (auto* leiste = qobject_cast<QMenuBar*>(menue))
      leiste->addMenu(unter);
    else
      static_cast<QMenu*>(menue)->addMenu(unter);
    return;
  }
  if (e.trenner_davor)
    if (auto* m = qobject_cast<QMenu*>(menue)) m->addSeparator();
  QAction* a = new QAction(text, menue);
  a->setShortcut(tastenkuerzel(e.taste));
  // Commands that open a dialog wait for the dialog views; the others run.
  const int nummer = e.nummer;
  a->setEnabled(e.nur_titel || nummer == 10);
  connect(a, &QAction::triggered, this, [this, nummer] {
    if (nummer == 10)
      close();
    else
      fibu_->ausfuehren(nummer);
  });
  menue->addAction(a);
  aktionen_[nummer] = a;
}

}  // namespace fibu
