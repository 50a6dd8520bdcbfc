#include "suchtool.h"

#include "dialogs.h"
#include "platform/db/dataset.h"
#include "platform/db/datasetmodel.h"
#include "platform/db/dberror.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <QHeaderView>
#include <QVBoxLayout>

namespace Suchtool {

QLineEdit *CreateSuchForm(QWidget *form, db::DataSet *dataset, const QString &field)
{
    auto *edit = new QLineEdit(form);
    edit->setObjectName(QStringLiteral("SuchEdit"));
    edit->setPlaceholderText(QStringLiteral("Suchen\u2026"));
    edit->setToolTip(QStringLiteral("Schnellsuche: Anfang des Eintrags eintippen"));
    edit->setClearButtonEnabled(true);
    QPointer<db::DataSet> ds(dataset);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [ds, field](const QString &text) {
        if (!ds || !ds->isOpen() || text.isEmpty() || ds->isEditing())
            return;
        ds->locate(field, text, db::DataSet::LocateCaseInsensitive | db::DataSet::LocatePartialKey);
    });
    return edit;
}

bool PopupSuchForm(int x, int y, QWidget *control, int, db::DataSet *dataset, const QString &field, int)
{
    if (!dataset || !dataset->isOpen())
        return false;
    if (Dialogs::isScripted()) {
        Dialogs::Request r;
        r.kind = Dialogs::Kind::Input;
        r.text = QStringLiteral("Auswahl: ") + field;
        const Dialogs::Reply rep = Dialogs::show(control, r);
        if (rep.button != Dialogs::Ok)
            return false;
        return dataset->locate(field, rep.value, db::DataSet::LocateCaseInsensitive | db::DataSet::LocatePartialKey);
    }
    QDialog dlg(control, Qt::Popup);
    auto *lay = new QVBoxLayout(&dlg);
    lay->setContentsMargins(2, 2, 2, 2);
    auto *edit = new QLineEdit(&dlg);
    auto *view = new QTableView(&dlg);
    db::DataSetModel model(dataset);
    model.setColumns({field});
    view->setModel(&model);
    view->horizontalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    view->verticalHeader()->hide();
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lay->addWidget(edit);
    lay->addWidget(view);
    if (dataset->recNo() >= 0)
        view->selectRow(dataset->recNo());
    QObject::connect(edit, &QLineEdit::textEdited, &dlg, [&](const QString &t) {
        if (dataset->locate(field, t, db::DataSet::LocateCaseInsensitive | db::DataSet::LocatePartialKey))
            view->selectRow(dataset->recNo());
    });
    QObject::connect(view, &QTableView::activated, &dlg, [&](const QModelIndex &i) {
        dataset->moveTo(i.row());
        dlg.accept();
    });
    QObject::connect(edit, &QLineEdit::returnPressed, &dlg, [&]() {
        const QModelIndex i = view->currentIndex();
        if (i.isValid())
            dataset->moveTo(i.row());
        dlg.accept();
    });
    dlg.resize(qMax(200, control ? control->width() : 200), 240);
    dlg.move(control ? control->mapToGlobal(QPoint(x, y)) : QPoint(x, y));
    edit->setFocus();
    return dlg.exec() == QDialog::Accepted;
}

} // namespace Suchtool
