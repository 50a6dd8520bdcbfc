#include "systemeinstellung.h"

#include "host/shellware/cfg.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/user.h"
#include "platform/db/database.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

TSystemEinstellungForm::TSystemEinstellungForm(db::Database *database, QWidget *parent) : QDialog(parent), m_db(database)
{
    setObjectName(QStringLiteral("SystemEinstellungForm"));
    setWindowTitle(QStringLiteral("Systemeinstellungen"));
    auto *lay = new QVBoxLayout(this);
    PC = new QTabWidget(this);
    PC->setObjectName(QStringLiteral("PC"));
    lay->addWidget(PC);

    auto *mandant = new QWidget;
    auto *ml = new QVBoxLayout(mandant);
    auto *box = new QGroupBox(QStringLiteral("Aktueller Mandant"), mandant);
    auto *bl = new QVBoxLayout(box);
    m_info = new QLabel(box);
    m_info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_info->setWordWrap(true);
    m_info->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    bl->addWidget(m_info);
    ml->addWidget(box);
    BPMandant = new QTabWidget(mandant);
    BPMandant->setObjectName(QStringLiteral("BPMandant"));
    ml->addWidget(BPMandant, 1);
    PC->addTab(mandant, QStringLiteral("Mandant"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Schließen"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    lay->addWidget(buttons);

    buildPages();
    BPMandant->setVisible(BPMandant->count() > 0);
    if (BPMandant->count() == 0)
        static_cast<QVBoxLayout *>(PC->widget(0)->layout())->addStretch(1);
    updateInfo();
    resize(760, 520);
}

TSystemEinstellungForm::~TSystemEinstellungForm()
{
    done(QDialog::Rejected);
}

QList<TSystemEinstellungForm::PageDef> TSystemEinstellungForm::pageDefinitions()
{
    QList<PageDef> out;
    const QString prefix = QStringLiteral("TSystemEinstellungForm.");
    for (const Modinfo::ClassEntry *e : Modinfo::Classes()) {
        if (e->report)
            continue;
        for (const QString &line : e->manifest->LinkedForms) {
            if (!line.startsWith(prefix, Qt::CaseInsensitive))
                continue;
            const QString rest = line.mid(prefix.size());
            const QString control = rest.section(QLatin1Char('='), 0, 0).trimmed();
            QString caption = rest.section(QLatin1Char('='), 1).trimmed();
            if (caption.isEmpty())
                caption = e->manifest->Description;
            if (control.compare(QLatin1String("PC"), Qt::CaseInsensitive) == 0)
                out << PageDef{e->className, QStringLiteral("PC"), caption};
            else if (control.compare(QLatin1String("BPMandant"), Qt::CaseInsensitive) == 0)
                out << PageDef{e->className, QStringLiteral("BPMandant"), caption};
        }
    }
    return out;
}

void TSystemEinstellungForm::buildPages()
{
    for (const PageDef &d : pageDefinitions()) {
        auto *holder = new QWidget;
        holder->setObjectName(QStringLiteral("Seite_") + d.className);
        QTabWidget *target = d.control == QLatin1String("PC") ? PC : BPMandant;
        target->addTab(holder, d.caption);
        const QVariantList args{QVariant::fromValue<QObject *>(m_db.data())};
        if (TWin95Form *f = Modinfo::CreateForm(d.className, args, 0, holder, true))
            m_pages << f;
    }
}

QList<TWin95Form *> TSystemEinstellungForm::pages() const
{
    QList<TWin95Form *> out;
    for (const auto &p : m_pages)
        if (p)
            out << p.data();
    return out;
}

void TSystemEinstellungForm::setDatabase(db::Database *db)
{
    if (db == m_db)
        return;
    m_db = db;
    const QVariantList args{QVariant::fromValue<QObject *>(db)};
    for (TWin95Form *f : pages()) {
        TFormModuleInfo *fmi = f->formInfo();
        if (fmi && fmi->OnExecute)
            fmi->OnExecute(fmi, this, args, 0);
    }
    updateInfo();
}

QObject *TSystemEinstellungForm::databaseObject() const { return m_db.data(); }

void TSystemEinstellungForm::setDatabaseObject(QObject *o) { setDatabase(qobject_cast<db::Database *>(o)); }

void TSystemEinstellungForm::updateInfo()
{
    const QString dbName = m_db ? m_db->params().database : QStringLiteral("(keine Verbindung)");
    m_info->setText(QStringLiteral("Mandant: %1\nDatenverzeichnis: %2\nDatenbank: %3\nBenutzer: %4 (Stufe %5)\n"
                                   "Installationsverzeichnis: %6")
                        .arg(User::CurMandant_Name(), User::CurMandant_Path(), dbName, User::CurUser_Name())
                        .arg(int(User::CurUser_Type()))
                        .arg(Cfg::InstallDir()));
}

void TSystemEinstellungForm::done(int r)
{
    if (!m_closed) {
        m_closed = true;
        for (TWin95Form *f : pages())
            f->runDestroy();
    }
    QDialog::done(r);
}
