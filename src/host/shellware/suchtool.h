#pragma once
// Incremental search over a list dataset, and a drop-down picker that leaves the dataset on the
// picked row.

#include "shellware_global.h"

#include <QString>

class QLineEdit;
class QWidget;
namespace db { class DataSet; }

namespace Suchtool {

// A search box (a QLineEdit named "SuchEdit", child of `form`; the caller places it): typing moves
// `dataset` to the first row whose `field` starts with the text (case-insensitive).
FD_SHELLWARE_EXPORT QLineEdit *CreateSuchForm(QWidget *form, db::DataSet *dataset, const QString &field);

// A drop-down list of `dataset`'s `field` at (x, y) relative to `control`; true when a row was
// picked, the dataset then stands on it. `alignment` and `options` are accepted as given.
// In scripted dialog mode the picker is answered like an input dialog whose value is the text
// searched for (Dialogs::Kind::Input with the text "Auswahl: <field>").
FD_SHELLWARE_EXPORT bool PopupSuchForm(int x, int y, QWidget *control, int alignment, db::DataSet *dataset,
                                       const QString &field, int options = 5);

} // namespace Suchtool
