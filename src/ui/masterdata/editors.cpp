#include "ui/masterdata/editors.h"

#include "ui/masterdata/tfrmedcata.h"
#include "ui/masterdata/tfrmedgoods.h"
#include "ui/masterdata/tfrmedinitial.h"
#include "ui/masterdata/tfrmedunit.h"
#include "ui/shell/tfrmmain.h"

namespace hemu {

MasterEditors::MasterEditors(AppContext &context, QWidget *parent)
    : frmEdGoods(new TfrmEdGoods(context, parent))
    , frmEdInitial(new TfrmEdInitial(context, parent))
    , frmEdCata(new TfrmEdCata(context, parent))
    , frmEdUnit(new TfrmEdUnit(context, parent))
{
}

void MasterEditors::registerWith(TfrmMain &main)
{
    for (EditorDialog *editor : std::initializer_list<EditorDialog *>{frmEdGoods, frmEdInitial, frmEdCata, frmEdUnit})
        main.registerResident(editor->objectName(), [editor] { editor->editRow(EditorDialog::Start::Edit); });
}

} // namespace hemu
